// The command-tail rules against an independent model of them.
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "app/switches.h"

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c += 32;
    return text;
}

CommandChoice Model(const std::string& tail)
{
    CommandChoice choice = {ModeNothing, false};
    size_t last = tail.rfind('/');
    if (last == std::string::npos) {
        choice.mode = ModeUninstall;
        return choice;
    }
    std::string from = Lower(tail.substr(last));
    if (from == "/s") {
        choice.silent = true;
        from = Lower(tail.substr(tail.find('/')));
    }
    if (from.rfind("/setup", 0) == 0)
        choice.mode = ModeSetup;
    else if (from.rfind("/uninstall", 0) == 0)
        choice.mode = ModeUninstallSwitch;
    else if (from.rfind("/wait", 0) == 0)
        choice.mode = ModeWait;
    else if (from.rfind("/warning", 0) == 0)
        choice.mode = ModeWarning;
    return choice;
}

// The program's name ends at the first blank or control byte outside
// quotation marks; the blanks after it go too.
std::string ModelTail(const std::string& line)
{
    size_t i = 0;
    bool quoted = false;
    while (i < line.size() && ((unsigned char)line[i] > ' ' || quoted)) {
        if (line[i] == '"')
            quoted = !quoted;
        i++;
    }
    while (i < line.size() && (unsigned char)line[i] <= ' ')
        i++;
    return line.substr(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string tail;
    for (size_t i = 0; i < size; i++)
        if (data[i])
            tail.push_back((char)data[i]);
    if (ModelTail(tail) != CommandTail(tail.c_str()))
        abort();
    CommandChoice got = ParseCommandTail(tail.c_str());
    CommandChoice want = Model(tail);
    if (got.mode != want.mode || got.silent != want.silent)
        abort();
    return 0;
}
