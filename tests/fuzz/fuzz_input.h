// How the fuzzers read their input: texts separated by 0xFF, zero bytes
// dropped (the routines take zero-terminated texts), at least three parts.
#ifndef LUMBEX_FUZZ_INPUT_H
#define LUMBEX_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "resources/text.h"

inline std::vector<std::string> SplitTexts(const uint8_t* data, size_t size)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0xFF)
            parts.emplace_back();
        else if (data[i] != 0)
            parts.back().push_back((char)data[i]);
    }
    while (parts.size() < 3)
        parts.emplace_back();
    return parts;
}

// Selects the code page that paths and lines are stepped in: single-byte,
// or 932 with its lead bytes. The models below step the same way.
inline void SelectCodePage(bool japanese)
{
    static const unsigned char ranges932[] = {0x81, 0x9F, 0xE0, 0xFC, 0};
    static const unsigned char none[] = {0};
    SetLeadByteRanges(japanese ? ranges932 : none);
}

inline bool ModelLead(bool japanese, unsigned char c)
{
    return japanese && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

// Start offsets of the characters of text, a lead byte at the very end
// standing alone.
inline std::vector<size_t> ModelCharStarts(bool japanese, const std::string& text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += ModelLead(japanese, text[i]) && i + 1 < text.size() ? 2 : 1)
        starts.push_back(i);
    return starts;
}

#endif
