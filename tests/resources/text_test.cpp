#include <gtest/gtest.h>

#include <string.h>

#include "driver/code_page.h"
#include "resources/text.h"

namespace {

// Canary bytes after the capacity show any write past it.
struct Guarded {
    char bytes[32];
    Guarded() { memset(bytes, 0x5A, sizeof bytes); }
    bool intactFrom(size_t cap) const
    {
        for (size_t i = cap; i < sizeof bytes; i++)
            if (bytes[i] != 0x5A)
                return false;
        return true;
    }
};

TEST(BoundedText, CopyAndAppendReportWhetherTheWholeTextFit)
{
    Guarded g;
    EXPECT_TRUE(TextCopy(g.bytes, 8, "1234567"));
    EXPECT_STREQ("1234567", g.bytes);
    EXPECT_FALSE(TextCopy(g.bytes, 8, "12345678"));
    EXPECT_STREQ("1234567", g.bytes);
    EXPECT_TRUE(g.intactFrom(8));

    EXPECT_TRUE(TextCopy(g.bytes, 8, "abc"));
    EXPECT_TRUE(TextAppend(g.bytes, 8, "defg"));
    EXPECT_FALSE(TextAppend(g.bytes, 8, "h"));
    EXPECT_STREQ("abcdefg", g.bytes);
    EXPECT_TRUE(g.intactFrom(8));
    EXPECT_FALSE(TextCopy(g.bytes, 0, ""));
}

TEST(BoundedText, AppendRefusesAndRepairsAnUnterminatedDestination)
{
    Guarded g;
    memset(g.bytes, 'x', 8);
    EXPECT_FALSE(TextAppend(g.bytes, 8, ""));
    EXPECT_EQ(0, g.bytes[7]);
    EXPECT_TRUE(g.intactFrom(8));
}

TEST(BoundedText, FormatKnowsStringsNumbersAndPercent)
{
    char out[64];
    EXPECT_TRUE(TextFormat(out, sizeof out, ".k%02d", 7));
    EXPECT_STREQ(".k07", out);
    EXPECT_TRUE(TextFormat(out, sizeof out, ".k%02d", 19));
    EXPECT_STREQ(".k19", out);
    EXPECT_TRUE(TextFormat(out, sizeof out, "\"%s\" \"%%1\"", "C:\\A B\\Lumbex.exe"));
    EXPECT_STREQ("\"C:\\A B\\Lumbex.exe\" \"%1\"", out);
    EXPECT_TRUE(TextFormat(out, sizeof out, "%d|%i|%u|%4d|%-", -2147483647 - 1, 5, 4000000000u, 3)
                == false);
    EXPECT_TRUE(TextFormat(out, sizeof out, "%d|%i|%u|%4d", -2147483647 - 1, 5, 4000000000u, 3));
    EXPECT_STREQ("-2147483648|5|4000000000|   3", out);
    EXPECT_FALSE(TextFormat(out, sizeof out, "trailing %"));
    EXPECT_FALSE(TextFormat(out, sizeof out, "%x", 1));
}

TEST(BoundedText, FormatStopsAtTheCapacity)
{
    Guarded g;
    EXPECT_FALSE(TextFormat(g.bytes, 6, "%s\\%s", "abc", "def"));
    EXPECT_STREQ("abc\\d", g.bytes);
    EXPECT_TRUE(g.intactFrom(6));
    Guarded h;
    EXPECT_FALSE(TextFormat(h.bytes, 4, "%05d", 1));
    EXPECT_STREQ("000", h.bytes);
    EXPECT_TRUE(h.intactFrom(4));
}

TEST(TranslatedFormat, OnlyOneStringConversionIsUsedAsAFormat)
{
    EXPECT_TRUE(IsSingleStringFormat("You should delete %s manually"));
    EXPECT_TRUE(IsSingleStringFormat("100%% sure: %s"));
    EXPECT_FALSE(IsSingleStringFormat("no conversion"));
    EXPECT_FALSE(IsSingleStringFormat("%s and %s"));
    EXPECT_FALSE(IsSingleStringFormat("%s %d"));
    EXPECT_FALSE(IsSingleStringFormat("%n%s"));
    EXPECT_FALSE(IsSingleStringFormat("%s %"));
    EXPECT_FALSE(IsSingleStringFormat("%5s"));

    char out[64];
    EXPECT_TRUE(TextFormatOne(out, sizeof out, "Cannot open list file %s", "Uninstall.lst"));
    EXPECT_STREQ("Cannot open list file Uninstall.lst", out);
    EXPECT_TRUE(TextFormatOne(out, sizeof out, "%s or %s %n", "x"));
    EXPECT_STREQ("%s or %s %n x", out);
    EXPECT_FALSE(TextFormatOne(out, 8, "%s!", "123456789"));
    EXPECT_STREQ("1234567", out);
}

TEST(NoCase, ComparesAsciiLettersOnly)
{
    EXPECT_TRUE(TextEqualNoCase("LUMBEX", "lumbex"));
    EXPECT_FALSE(TextEqualNoCase("Lumbex.ZIP", "Lumbex"));
    EXPECT_FALSE(TextEqualNoCase("Lumbe", "Lumbex"));
    EXPECT_FALSE(TextEqualNoCase("\xC4", "\xE4"));
    EXPECT_TRUE(TextStartsNoCase("/SETUPx", "/setup"));
    EXPECT_FALSE(TextStartsNoCase("/set", "/setup"));
}

TEST(Paths, AppendBackslashAddsOneOnlyWhenNeeded)
{
    char path[8] = "";
    EXPECT_TRUE(AppendBackslash(path, sizeof path));
    EXPECT_STREQ("\\", path);
    EXPECT_TRUE(AppendBackslash(path, sizeof path));
    EXPECT_STREQ("\\", path);

    strcpy(path, "C:");
    EXPECT_TRUE(AppendBackslash(path, sizeof path));
    EXPECT_STREQ("C:\\", path);

    strcpy(path, "C:/a/");
    EXPECT_TRUE(AppendBackslash(path, sizeof path));
    EXPECT_STREQ("C:/a/\\", path);

    Guarded g;
    strcpy(g.bytes, "C:\\abcd");    // 7 bytes: no room in 8 for one more
    EXPECT_FALSE(AppendBackslash(g.bytes, 8));
    EXPECT_STREQ("C:\\abcd", g.bytes);
    EXPECT_TRUE(g.intactFrom(8));
}

TEST(Paths, FileNamePartFindsTheLastComponent)
{
    char path[] = "C:\\Program Files\\Lumbex\\Uninstall.exe";
    EXPECT_STREQ("Uninstall.exe", FileNamePart(path));
    EXPECT_EQ(path + 24, FileNamePart(path));
    EXPECT_STREQ("name.txt", FileNamePart("D:name.txt"));
    EXPECT_STREQ("plain", FileNamePart("plain"));
    EXPECT_STREQ("b", FileNamePart("a/b"));
    const char* folder = "C:\\Folder\\";
    EXPECT_EQ(folder + strlen(folder), FileNamePart(folder));
    EXPECT_STREQ("", FileNamePart(""));
}

using Paths932 = DoubleByteTest;

TEST_F(Paths932, ASecondByteEqualToTheBackslashIsNoSeparator)
{
    struct Row {
        const char* path;
        const char* appended;   // after AppendBackslash
        const char* name;       // FileNamePart
    };
    const Row rows[] = {
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\", "\x95\x5C"},
        {"C:\\Lumbex \x83\x5C\\", "C:\\Lumbex \x83\x5C\\", ""},
        {"\x83\x5C\x95\x5C", "\x83\x5C\x95\x5C\\", "\x83\x5C\x95\x5C"},
        {"C:\\a\\\x95", "C:\\a\\\x95\\", "\x95"},     // a lead byte without its second
        {"C:\\a/\x95\x5C" "b", "C:\\a/\x95\x5C" "b\\", "\x95\x5C" "b"},
    };
    for (const Row& row : rows) {
        char path[32];
        strcpy(path, row.path);
        EXPECT_STREQ(row.name, FileNamePart(path)) << row.path;
        EXPECT_TRUE(AppendBackslash(path, sizeof path)) << row.path;
        EXPECT_STREQ(row.appended, path);
    }
    const char* text = "\x95\x5C\x5C";
    EXPECT_EQ(text + 2, NextChar(text));
    EXPECT_EQ(text + 3, NextChar(text + 2));
    EXPECT_EQ(text + 3, NextChar(text + 3));   // never past the end
}

}  // namespace
