// Tests of the routines that step by characters, in code page 932 whatever
// the system's: lead bytes 0x81-0x9F and 0xE0-0xFC. "表" is 95 5C and "ソ"
// 83 5C: their second byte is the byte of "\".
#ifndef LUMBEX_TESTS_CODE_PAGE_H
#define LUMBEX_TESTS_CODE_PAGE_H

#include <gtest/gtest.h>

#include "resources/text.h"

class DoubleByteTest : public testing::Test {
protected:
    void SetUp() override
    {
        static const unsigned char japanese[] = {0x81, 0x9F, 0xE0, 0xFC, 0};
        SetLeadByteRanges(japanese);
    }
    void TearDown() override
    {
        static const unsigned char none[] = {0};
        SetLeadByteRanges(none);
    }
};

#endif
