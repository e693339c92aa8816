// Bounded texts and paths against a plain std::string model: never a byte
// past the capacity (ASan sees each buffer at its exact size), always a
// terminator inside it, and "fit" exactly when the model's result fits.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "resources/text.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

void CheckResult(const char* buffer, size_t cap, bool fit, const std::string& expected)
{
    Check(memchr(buffer, 0, cap) != NULL);
    Check(fit == (expected.size() < cap));
    if (fit)
        Check(expected == buffer);
    else
        Check(expected.compare(0, strlen(buffer), buffer) == 0);
}

std::string ModelFormat(const std::string& format, const std::string& arg)
{
    std::string out;
    for (size_t i = 0; i < format.size(); i++) {
        if (format[i] != '%') {
            out.push_back(format[i]);
        } else if (format[i + 1] == '%') {
            out.push_back('%');
            i++;
        } else {
            out += arg;
            i++;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    size_t cap = data[0] % 64 + 1;
    // Input: capacity byte, then the texts.
    std::vector<std::string> parts = SplitTexts(data + 1, size - 1);
    const std::string& a = parts[0];
    const std::string& b = parts[1];
    const std::string& c = parts[2];
    std::vector<char> buffer(cap);

    bool fit = TextCopy(buffer.data(), cap, a.c_str());
    CheckResult(buffer.data(), cap, fit, a);
    if (fit) {
        bool appended = TextAppend(buffer.data(), cap, b.c_str());
        CheckResult(buffer.data(), cap, appended, a + b);
    }

    // A translated text from outside: formatted only when it is safe.
    fit = TextFormatOne(buffer.data(), cap, a.c_str(), b.c_str());
    std::string expected = IsSingleStringFormat(a.c_str()) ? ModelFormat(a, b) : a + " " + b;
    CheckResult(buffer.data(), cap, fit, expected);

    if (IsSingleNumberFormat(c.c_str()))
        TextFormat(buffer.data(), cap, c.c_str(), (int)(size * 2654435761u));
    Check(memchr(buffer.data(), 0, cap) != NULL);

    // Paths step by characters: in code page 932 a second byte of 0x5C is
    // no separator.
    bool japanese = data[0] & 0x80;
    SelectCodePage(japanese);
    std::vector<size_t> starts = ModelCharStarts(japanese, a);
    if (TextCopy(buffer.data(), cap, a.c_str())) {
        std::string model = a;
        if (starts.empty() || a[starts.back()] != '\\')
            model.push_back('\\');
        bool added = AppendBackslash(buffer.data(), cap);
        CheckResult(buffer.data(), cap, added, model);
        if (!added)
            Check(a == buffer.data());
    }

    size_t nameAt = 0;
    for (size_t start : starts)
        if (a[start] == '\\' || a[start] == '/' || a[start] == ':')
            nameAt = start + 1;
    Check(FileNamePart(a.c_str()) == a.c_str() + nameAt);

    bool equal = TextEqualNoCase(a.c_str(), b.c_str());
    std::string upperA = a, upperB = b;
    for (char& ch : upperA)
        if (ch >= 'a' && ch <= 'z')
            ch -= 32;
    for (char& ch : upperB)
        if (ch >= 'a' && ch <= 'z')
            ch -= 32;
    Check(equal == (upperA == upperB));
    Check(TextStartsNoCase(a.c_str(), b.c_str()) == (upperA.compare(0, upperB.size(), upperB) == 0));
    return 0;
}
