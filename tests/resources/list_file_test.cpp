// The list read from a file, through the system's file calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver/sandbox.h"
#include "resources/list_line.h"

namespace {

// The entries that the list yields, in order.
std::vector<std::string> Entries(const std::string& bytes, size_t cap = ListLineCapacity)
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "lst", 0, path);
    ListSource list;
    EXPECT_TRUE(WriteBytes(path, bytes));
    EXPECT_TRUE(OpenListFile(path, &list));
    std::vector<char> line(cap + 16, 0x5A);
    std::vector<std::string> entries;
    while (ReadListEntry(&list, line.data(), cap))
        entries.push_back(line.data());
    for (size_t i = cap; i < line.size(); i++)
        EXPECT_EQ(0x5A, line[i]) << "written past the line buffer at " << i;
    CloseListFile(&list);
    DeleteFileA(path);
    return entries;
}

using Lines = std::vector<std::string>;

TEST(ListEntries, LinesEndInLineFeedsWhateverComesBefore)
{
    EXPECT_EQ(Lines({"a.txt", "sub\\b.txt", "c", "last"}),
              Entries("a.txt\r\nsub\\b.txt \t\r\n\r\n   \r\n\t\nc\nlast"));
    EXPECT_EQ(Lines({"  two blanks", "caf\xE9\xA0"}), Entries("  two blanks\n\ncaf\xE9\xA0\r\n"));
    EXPECT_EQ(Lines(), Entries(""));
    EXPECT_EQ(Lines(), Entries("\r\n\r\n \x1A"));
    EXPECT_EQ(Lines({"*.txt", "?"}), Entries("*.txt\n?\n"));
}

TEST(ListEntries, ALineLongerThanTheBufferIsPassedOverInAllItsPieces)
{
    std::string longLine = std::string(519, 'a') + "tail.txt\r\n";
    EXPECT_EQ(Lines({"before", "after"}), Entries("before\n" + longLine + "after\n"));
    // Several pieces, the last one a name of its own.
    EXPECT_EQ(Lines({"after"}), Entries(std::string(1200, 'b') + "x\nafter"));

    // 518 bytes and the line feed fill the buffer exactly: still one line.
    std::string full = std::string(518, 'c');
    EXPECT_EQ(Lines({full, "next"}), Entries(full + "\nnext\n"));
    // One byte more and the line feed starts a piece of its own.
    EXPECT_EQ(Lines({"next"}), Entries(full + "c\nnext\n"));

    EXPECT_EQ(Lines({"ok"}), Entries("0123456789\nok\n", 8));
}

TEST(ListEntries, ALineWithAZeroByteNamesNothing)
{
    EXPECT_EQ(Lines({"after"}), Entries(std::string("abc\0def\r\nafter\r\n", 16)));
}

}  // namespace
