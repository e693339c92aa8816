// The list reader and the removal script text against models: no byte past
// a buffer (ASan sees each at its exact size), entries exactly the whole,
// trimmed, non-empty lines that fit, and script pieces either refused or
// exactly the model's text.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "uninstall/folder_path.h"
#include "resources/list_line.h"
#include "uninstall/script_text.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// The line without its trailing single-byte blanks and controls; a
// double-byte character is never split.
std::string ModelTrim(bool japanese, const std::string& line)
{
    size_t end = 0;
    for (size_t start : ModelCharStarts(japanese, line)) {
        bool pair = ModelLead(japanese, line[start]) && start + 1 < line.size();
        unsigned char c = (unsigned char)line[start];
        if (pair || (c > 0x20 && c != 0x7F))
            end = start + (pair ? 2 : 1);
    }
    return line.substr(0, end);
}

std::vector<std::string> ModelEntries(const std::string& bytes, size_t cap, bool japanese)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        size_t next = end == std::string::npos ? bytes.size() : end + 1;
        std::string line = bytes.substr(start, next - start);
        start = next;
        if (line.size() > cap - 1 || (line.size() == cap - 1 && line.back() != '\n') ||
            line.find('\0') != std::string::npos)
            continue;
        line = ModelTrim(japanese, line);
        if (!line.empty())
            entries.push_back(line);
    }
    return entries;
}

// A list in memory, handed out in chunks of chunk bytes, so that lines
// cross the buffer's refills anywhere.
struct Memory {
    const uint8_t* data;
    size_t size;
    size_t chunk;
};

bool RefillFromMemory(ListSource* list)
{
    const Memory* memory = (const Memory*)list->handle;
    size_t count = memory->size - list->offset;
    if (count > memory->chunk)
        count = memory->chunk;
    if (count > sizeof list->buffer)
        count = sizeof list->buffer;
    memcpy(list->buffer, memory->data + list->offset, count);
    list->offset += count;
    list->length = count;
    return count > 0;
}

bool RewindMemory(ListSource* list)
{
    list->offset = 0;
    return true;
}

void CheckList(const uint8_t* data, size_t size, size_t cap, bool japanese, size_t chunk)
{
    SelectCodePage(japanese);
    std::string bytes((const char*)data, size);
    Memory memory = {data, size, chunk};
    ListSource list = {RefillFromMemory, RewindMemory, &memory, 0, {}, 0, 0};
    std::vector<std::string> model = ModelEntries(bytes, cap, japanese);
    for (int pass = 0; pass < 2; pass++) {
        std::vector<char> line(cap);
        std::vector<std::string> entries;
        while (ReadListEntry(&list, line.data(), cap)) {
            Check(memchr(line.data(), 0, cap) != NULL);
            entries.push_back(line.data());
        }
        Check(entries == model);
        Check(RewindList(&list));
    }
}

std::string Escaped(const std::string& path)
{
    std::string out;
    for (char c : path)
        out += c == '%' ? "%%" : std::string(1, c);
    return out;
}

void CheckScript(const std::string& e, const std::string& f, const std::string& s, size_t cap)
{
    std::string ee = Escaped(e), ef = Escaped(f), es = Escaped(s);
    const std::string models[] = {
        "\"" + ee + "\" /wait\r\n",
        "start /wait \"" + ee + "\" /wait\r\n",
        "del \"" + ee + "\"\r\nrd \"" + ef + "\"\r\nif not exist \"" + ee + "\" goto done\r\n",
        ":done\r\nif exist \"" + ee + "\" \"" + ee + "\" /warning",
        ":done\r\nif exist \"" + ee + "\" \"" + ee + "\" /warning /s",
        "\r\ndel \"" + es + "\""};
    bool escapable = ee.size() < 520 && ef.size() < 520 && es.size() < 520;
    for (int piece = 0; piece < 6; piece++) {
        std::vector<char> text(cap);
        bool fit = FormatScriptPiece(text.data(), cap, (ScriptPiece)piece, e.c_str(), f.c_str(),
                                     s.c_str());
        Check(fit == (escapable && models[piece].size() < cap));
        if (fit)
            Check(models[piece] == text.data());
    }
}

}  // namespace

// Input: a selector byte, then either a chunk size and list bytes, or three
// paths separated by 0xFF for the script.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    size_t cap = data[0] % 32 + 1;
    if (data[0] & 0x80) {
        if (size < 2)
            return 0;
        CheckList(data + 2, size - 2, data[0] & 0x40 ? ListLineCapacity : cap, data[0] & 0x20,
                  data[1] % 64 == 0 ? 512 : data[1] % 64);
        return 0;
    }
    std::vector<std::string> parts = SplitTexts(data + 1, size - 1);
    bool big = data[0] & 0x40;
    CheckScript(parts[0], parts[1], parts[2], big ? ScriptTextCapacity : cap * 8);

    // The folder ends before the last backslash that is a character of its own.
    bool japanese = data[0] & 0x10;
    SelectCodePage(japanese);
    const std::string& executable = parts[0];
    size_t separator = std::string::npos;
    for (size_t start : ModelCharStarts(japanese, executable))
        if (executable[start] == '\\')
            separator = start;
    std::string model;
    if (separator != std::string::npos)
        model = executable.substr(0, separator > 0 && executable[separator - 1] == ':'
                                         ? separator + 1 : separator);
    std::vector<char> folder(cap);
    bool found = InstallFolderOf(executable.c_str(), folder.data(), cap);
    Check(found == (separator != std::string::npos && model.size() < cap));
    if (found)
        Check(model == folder.data());
    return 0;
}
