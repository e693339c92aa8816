#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "driver/code_page.h"
#include "uninstall/folder_path.h"
#include "resources/list_line.h"

namespace {

std::string Trimmed(std::string line)
{
    std::vector<char> bytes(line.begin(), line.end());
    bytes.push_back(0);
    TrimTrailingControls(bytes.data());
    return bytes.data();
}

TEST(TrimTrailingControls, StripsBlanksAndControlsAtTheEndOnly)
{
    EXPECT_EQ("sub\\file.txt", Trimmed("sub\\file.txt \t \r\n"));
    EXPECT_EQ("  lead", Trimmed("  lead\r\n"));
    EXPECT_EQ("a b", Trimmed("a b\x7F\x1A\x01"));
    EXPECT_EQ("", Trimmed("  \t\r\n"));
    EXPECT_EQ("", Trimmed(""));
    EXPECT_EQ("nb\xA0", Trimmed("nb\xA0\r\n"));
    EXPECT_EQ("x\xFF", Trimmed("x\xFF"));
    EXPECT_EQ("\x80", Trimmed("\x80 "));
}

std::string FolderOf(const char* executable, size_t cap = 260)
{
    char folder[260];
    memset(folder, 0x5A, sizeof folder);
    if (!InstallFolderOf(executable, folder, cap))
        return "<none>";
    return folder;
}

TEST(InstallFolder, IsTheExecutablesFolderWithABackslashOnlyAtADriveRoot)
{
    EXPECT_EQ("C:\\Program Files\\Lumbex", FolderOf("C:\\Program Files\\Lumbex\\Uninstall.exe"));
    EXPECT_EQ("C:\\", FolderOf("C:\\Uninstall.exe"));
    EXPECT_EQ("\\\\server\\share", FolderOf("\\\\server\\share\\Uninstall.exe"));
    EXPECT_EQ("<none>", FolderOf("Uninstall.exe"));
    EXPECT_EQ("<none>", FolderOf("C:Uninstall.exe"));
    EXPECT_EQ("C:\\ab", FolderOf("C:\\ab\\x.exe", 6));
    EXPECT_EQ("<none>", FolderOf("C:\\abc\\x.exe", 6));
}

TEST(InstallFolder, EntryPathsAreRefusedRatherThanCut)
{
    char path[16];
    EXPECT_TRUE(JoinEntryPath(path, sizeof path, "C:\\L\\", "sub\\a.txt"));
    EXPECT_STREQ("C:\\L\\sub\\a.txt", path);
    EXPECT_TRUE(JoinEntryPath(path, sizeof path, "C:\\L\\", "0123456789"));
    EXPECT_FALSE(JoinEntryPath(path, sizeof path, "C:\\L\\", "0123456789a"));
}

using Lines932 = DoubleByteTest;

// A second byte of 0x5C is part of its character, never a separator, and
// trimming never splits a character.
TEST_F(Lines932, FoldersAndEntriesEndingInADoubleByteCharacter)
{
    EXPECT_EQ("C:\\\x95\x5C", FolderOf("C:\\\x95\x5C\\Uninstall.exe"));
    EXPECT_EQ("C:\\d", FolderOf("C:\\d\\\x95\x5C"));
    EXPECT_EQ("C:\\", FolderOf("C:\\\x83\x5C"));
    EXPECT_EQ("\x95\x5C", Trimmed("\x95\x5C \r\n"));
    EXPECT_EQ("sub\\\x83\x5C", Trimmed("sub\\\x83\x5C\t"));
}

}  // namespace
