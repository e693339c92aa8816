// The command-tail rules against an independent model of them.
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/switches.h"

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c += 32;
    return text;
}

// Words are split at blank or control bytes and quotation marks, and before
// each "/".
std::vector<std::string> Words(const std::string& tail)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : tail) {
        bool apart = (unsigned char)c <= ' ' || c == '"';
        if (apart || c == '/') {
            if (!word.empty())
                words.push_back(Lower(word));
            word.clear();
        }
        if (!apart)
            word.push_back(c);
    }
    if (!word.empty())
        words.push_back(Lower(word));
    return words;
}

bool Quiet(const std::string& word)
{
    return word == "/s" || word == "/silent" || word == "/verysilent" || word == "/quiet" ||
           word == "/q" || word == "/qn";
}

CommandChoice Model(const std::string& tail)
{
    CommandChoice choice = {ModeUninstall, false};
    if (tail.find('/') == std::string::npos)
        return choice;
    std::vector<std::string> words = Words(tail);
    for (const std::string& word : words)
        if (Quiet(word))
            choice.silent = true;
    const std::string& first = words[0];
    bool options = true;
    bool quiet = true;      // only "/s" after the first word
    for (size_t i = 1; i < words.size(); i++) {
        options = options && (Quiet(words[i]) || words[i] == "/norestart");
        quiet = quiet && Quiet(words[i]);
    }
    if (first == "/setup" && options)
        choice.mode = ModeSetup;
    else if (first == "/uninstall" && options)
        choice.mode = ModeUninstallSwitch;
    else if (first == "/wait" && words.size() == 1)
        choice.mode = ModeWait;
    else if (first == "/warning" && quiet)
        choice.mode = ModeWarning;
    else
        choice.mode = ModeInvalid;
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
