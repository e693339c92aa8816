// How the fuzzers read their input: texts separated by 0xFF, zero bytes
// dropped (the routines take zero-terminated texts), at least three parts.
#ifndef LUMBEX_FUZZ_INPUT_H
#define LUMBEX_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

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

#endif
