// The list passes on real files in the prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/sandbox.h"
#include "resources/process.h"
#include "uninstall/uninstall.h"

namespace {

// The install folder sits one level down, so that entries can point beside it.
// Every case runs twice: checked and deleted through one handle, and by path
// as on systems without that (the 95 family's platform id forces it).
class ListPasses : public testing::TestWithParam<DWORD> {
protected:
    std::string root;
    std::string folder;
    DWORD savedPlatform;

    void SetUp() override
    {
        savedPlatform = PlatformId;
        PlatformId = GetParam();
        root = MakeSandbox("list");
        folder = root + "\\Lumbex";
        CreateDirectoryA(folder.c_str(), NULL);
    }
    void TearDown() override
    {
        PlatformId = savedPlatform;
        RemoveTree(root);
    }
    bool ByHandle() const { return GetParam() == PlatformNt; }

    std::string In(const std::string& entry) const { return folder + "\\" + entry; }
    void File(const std::string& entry, DWORD attributes = 0)
    {
        ASSERT_TRUE(WriteBytes(In(entry), "x")) << entry;
        if (attributes)
            SetFileAttributesA(In(entry).c_str(), attributes);
    }
    void Folder(const std::string& entry, DWORD attributes = 0)
    {
        ASSERT_TRUE(CreateDirectoryA(In(entry).c_str(), NULL)) << entry;
        if (attributes)
            SetFileAttributesA(In(entry).c_str(), attributes);
    }

    // An entry opened as the uninstaller opens it.
    HANDLE OpenEntry(const std::string& entry) const
    {
        return CreateFileA(In(entry).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                           NULL);
    }

    // The list lies beside the install folder, so it never holds it open.
    // Returns the number of list passes.
    int Remove(const std::string& list, const std::string& installFolder = "")
    {
        std::string listPath = root + "\\Uninstall.lst";
        EXPECT_TRUE(WriteBytes(listPath, list));
        ListSource file;
        EXPECT_TRUE(OpenListFile(listPath.c_str(), &file));
        int passes = RemoveListedEntries(
            &file, (installFolder.empty() ? folder + "\\" : installFolder).c_str());
        CloseListFile(&file);
        return passes;
    }
};

TEST_P(ListPasses, FoldersListedBeforeTheirContentsGoInLaterPasses)
{
    Folder("d");
    Folder("d\\e");
    File("d\\e\\y.txt");
    File("d\\x.txt");
    File("plain.txt");
    // Pass 1: the files; 2: "d\\e"; 3: "d", and nothing listed is left.
    EXPECT_EQ(3, Remove("d\r\nd\\e\r\nd\\e\\y.txt\r\nd\\x.txt\r\nplain.txt\r\nplain.txt\r\nmissing.txt\r\n"));
    EXPECT_FALSE(Exists(In("d")));
    EXPECT_FALSE(Exists(In("plain.txt")));
    EXPECT_TRUE(IsFolder(folder));
}

TEST_P(ListPasses, PassesGoOnWhileSomethingListedStandsAndCanStillGo)
{
    File("held.txt");
    Folder("d");
    File("d\\x.txt");
    Folder("full");
    File("full\\unlisted.txt");
    HANDLE held = CreateFileA(In("held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    // Pass 1: "d\\x.txt"; 2: "d"; 3 removes nothing while two entries stand.
    EXPECT_EQ(3, Remove("held.txt\nd\nfull\nd\\x.txt\n"));
    CloseHandle(held);
    EXPECT_TRUE(Exists(In("held.txt")));
    EXPECT_TRUE(Exists(In("full\\unlisted.txt")));
    EXPECT_FALSE(Exists(In("d")));
    // A plain list goes in one pass: nothing is left to try again.
    EXPECT_EQ(1, Remove("held.txt\n"));
    EXPECT_FALSE(Exists(In("held.txt")));
}

TEST_P(ListPasses, ReadOnlyHiddenAndSystemEntriesAreRemoved)
{
    File("readonly.txt", FILE_ATTRIBUTE_READONLY);
    File("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    File("system.txt", FILE_ATTRIBUTE_SYSTEM);
    File("all.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Folder("locked", FILE_ATTRIBUTE_READONLY);
    File("control.txt", FILE_ATTRIBUTE_READONLY);
    // Without the clearing the deletion would fail.
    ASSERT_FALSE(DeleteFileA(In("control.txt").c_str()));

    EXPECT_EQ(1, Remove("locked\nreadonly.txt\nhidden.txt\nsystem.txt\nall.txt\n"));
    for (const char* entry : {"readonly.txt", "hidden.txt", "system.txt", "all.txt", "locked"})
        EXPECT_FALSE(Exists(In(entry))) << entry;
    EXPECT_TRUE(Exists(In("control.txt")));
    SetFileAttributesA(In("control.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_P(ListPasses, LinesAreTakenByteForByte)
{
    File("crlf.txt");
    File("lf.txt");
    File("blanks.txt");
    File("  lead.txt");
    File("lead.txt");
    File("nb\xA0");
    File("nb");
    File("last.txt");
    File("a.txt");
    File("b.txt");
    Remove("crlf.txt\r\nlf.txt\nblanks.txt \t \r\n  lead.txt\r\n \r\n\r\nnb\xA0\r\n*.txt\n?.txt\n"
           "last.txt");
    for (const char* gone : {"crlf.txt", "lf.txt", "blanks.txt", "  lead.txt", "nb\xA0",
                             "last.txt"})
        EXPECT_FALSE(Exists(In(gone))) << gone;
    for (const char* kept : {"lead.txt", "nb", "a.txt", "b.txt"})
        EXPECT_TRUE(Exists(In(kept))) << kept;
}

TEST_P(ListPasses, AnEmptyListRemovesNothing)
{
    File("kept.txt");
    EXPECT_EQ(1, Remove(""));
    EXPECT_EQ(1, Remove("\r\n \r\n"));
    EXPECT_TRUE(Exists(In("kept.txt")));
}

TEST_P(ListPasses, ALongLineNamesNothingAndTheNextLineStillCounts)
{
    File("aatail.txt");
    File("next.txt");
    Remove(std::string(521, 'a') + "tail.txt\r\nnext.txt\r\n");
    EXPECT_TRUE(Exists(In("aatail.txt")));
    EXPECT_FALSE(Exists(In("next.txt")));
}

TEST_P(ListPasses, AnEntryWhosePathDoesNotFitIsSkipped)
{
    // Cut to the 259 bytes of a path, the entry would name this file.
    std::string name(259 - folder.size() - 1, 'n');
    File(name);
    File("next.txt");
    Remove(name + "more\n" + "next.txt\n");
    EXPECT_TRUE(Exists(In(name)));
    EXPECT_FALSE(Exists(In("next.txt")));
}

TEST_P(ListPasses, EntriesThatLeaveTheInstallFolderAreRefused)
{
    std::string bystander = root + "\\bystander.txt";
    ASSERT_TRUE(WriteBytes(bystander, "keep"));
    CreateDirectoryA((root + "\\other").c_str(), NULL);
    ASSERT_TRUE(WriteBytes(root + "\\other\\x.txt", "keep"));
    CreateDirectoryA((root + "\\LumbexOld").c_str(), NULL);
    ASSERT_TRUE(WriteBytes(root + "\\LumbexOld\\y.txt", "keep"));
    CreateDirectoryA((root + "\\empty").c_str(), NULL);
    Folder("sub");
    File("inside.txt");

    Remove("..\\bystander.txt\r\nsub\\..\\..\\bystander.txt\r\n../bystander.txt\r\n"
           "..\\other\\x.txt\r\n..\\LumbexOld\\y.txt\r\n..\\empty\r\n" +
           bystander + "\r\n..\\..\\list\\bystander.txt\r\nsub\\..\\..\r\n" +
           "sub\\..\\..\\LUMBEX\\INSIDE.TXT\r\n");
    EXPECT_TRUE(Exists(bystander));
    EXPECT_TRUE(Exists(root + "\\other\\x.txt"));
    EXPECT_TRUE(Exists(root + "\\LumbexOld\\y.txt"));
    EXPECT_TRUE(IsFolder(root + "\\empty"));
    // Back inside, named in other letter case: still the install folder's.
    EXPECT_FALSE(Exists(In("inside.txt")));
    EXPECT_TRUE(IsFolder(In("sub")));
}

TEST_P(ListPasses, TheInstallFolderItselfIsNeverAnEntry)
{
    File("a.txt");
    Remove("a.txt\n.\nsub\\..\n..\\Lumbex\n..\\Lumbex\\\nx\\..\\\n");
    EXPECT_FALSE(Exists(In("a.txt")));
    EXPECT_TRUE(IsFolder(folder));
}

TEST_P(ListPasses, ADriveRootPrefixIsNotDoubled)
{
    // An install folder at a drive root: entries below it resolve as usual.
    std::string name = "lumbex-tests\\list\\Lumbex\\root.txt";
    File("root.txt");
    Remove(name + "\n", "C:\\");
    EXPECT_FALSE(Exists(In("root.txt")));
}

// Where the system cannot tell where a path leads, every folder on the way
// from the install folder to the entry is looked at: a folder whose name ends
// in a blank is that folder, not the one named without the blank.
TEST_P(ListPasses, LinksOnTheWayAreFoundFolderByFolder)
{
    std::string outside = root + "\\outside";
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), NULL));
    ASSERT_TRUE(WriteBytes(outside + "\\x.txt", "someone else's"));
    ASSERT_TRUE(MakeHostLink(outside, In("link")));
    Folder("real");
    File("real\\y.txt");
    Folder("link \\");
    File("link \\z.txt");
    std::string installFolder = folder + "\\";
    EXPECT_TRUE(LinkOnTheWay(installFolder.c_str(), In("link\\x.txt").c_str()));
    EXPECT_TRUE(LinkOnTheWay(installFolder.c_str(), In("link").c_str()));
    EXPECT_FALSE(LinkOnTheWay(installFolder.c_str(), In("real\\y.txt").c_str()));
    EXPECT_FALSE(LinkOnTheWay(installFolder.c_str(), In("real\\missing\\z.txt").c_str()));
    EXPECT_FALSE(LinkOnTheWay(installFolder.c_str(), In("link \\z.txt").c_str()));
    EXPECT_TRUE(RemoveOnHost(In("link")));
    EXPECT_EQ("someone else's", ReadBytes(outside + "\\x.txt"));
    // The shell's deletion would not find it.
    EXPECT_TRUE(DeleteFileA(In("link \\z.txt").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(In("link \\").c_str()));
}

// Links below the install folder, listed or on the way, stay, and so does
// what they lead to; what a folder named like one but for a trailing blank
// holds goes.
TEST_P(ListPasses, LinksStayAndWhatTheyLeadToSurvives)
{
    std::string outside = root + "\\outside";
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((outside + "\\empty").c_str(), NULL));
    ASSERT_TRUE(WriteBytes(outside + "\\x.txt", "someone else's"));
    ASSERT_TRUE(MakeHostLink(outside, In("link")));
    ASSERT_TRUE(MakeHostLink(outside + "\\x.txt", In("filelink")));
    Folder("link \\");
    File("link \\y.txt");
    File("plain.txt");

    // Wine shows a link to a file as a plain file, and a deletion by path
    // deletes what it leads to; systems without deletion by handle have no
    // links to files.
    std::string list = "link\\x.txt\nlink\\empty\nlink\nlink \\y.txt\nplain.txt\n";
    if (ByHandle())
        list += "filelink\n";
    EXPECT_EQ(1, Remove(list));
    EXPECT_EQ("someone else's", ReadBytes(outside + "\\x.txt"));
    EXPECT_TRUE(IsFolder(outside + "\\empty"));
    EXPECT_TRUE(IsFolder(In("link")));
    EXPECT_TRUE(Exists(In("filelink")));
    EXPECT_FALSE(Exists(In("link \\y.txt")));
    EXPECT_FALSE(Exists(In("plain.txt")));
    EXPECT_TRUE(RemoveOnHost(In("link")));
    EXPECT_TRUE(RemoveDirectoryA(In("link \\").c_str()));
    EXPECT_TRUE(RemoveOnHost(In("filelink")));
    EXPECT_EQ("someone else's", ReadBytes(outside + "\\x.txt"));
}

INSTANTIATE_TEST_SUITE_P(ByHandleAndByPath, ListPasses,
                         testing::Values(PlatformNt, PlatformWindows95));

// Only what the open handle refers to is checked and deleted, whatever takes
// its path meanwhile: a file put in its place, a link put in place of a
// folder on its way. (Windows deletes the original under its new name; wine
// leaves it.)
class DeletionByHandle : public ListPasses {};

TEST_P(DeletionByHandle, WhatTakesThePlaceOfAnOpenEntryStays)
{
    std::string outside = root + "\\outside";
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), NULL));
    ASSERT_TRUE(WriteBytes(outside + "\\x.txt", "someone else's"));
    File("swap.txt");
    Folder("d");
    File("d\\x.txt");
    HANDLE file = OpenEntry("swap.txt");
    HANDLE inFolder = OpenEntry("d\\x.txt");
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ASSERT_NE(INVALID_HANDLE_VALUE, inFolder);
    ASSERT_TRUE(MoveFileA(In("swap.txt").c_str(), In("moved.txt").c_str()));
    ASSERT_TRUE(WriteBytes(In("swap.txt"), "put in its place"));
    ASSERT_TRUE(MoveFileA(In("d").c_str(), In("d-old").c_str()));
    ASSERT_TRUE(MakeHostLink(outside, In("d")));

    std::string installFolder = folder + "\\";
    EXPECT_TRUE(RemoveOpenEntry(installFolder.c_str(), file));
    RemoveOpenEntry(installFolder.c_str(), inFolder);
    CloseHandle(file);
    CloseHandle(inFolder);
    EXPECT_EQ("put in its place", ReadBytes(In("swap.txt")));
    EXPECT_EQ("someone else's", ReadBytes(outside + "\\x.txt"));
    EXPECT_TRUE(RemoveOnHost(In("d")));
}

// Where an entry lies is told by where its handle leads: reached through a
// link that stays inside the install folder, it goes.
TEST_P(DeletionByHandle, AnEntryReachedThroughALinkThatStaysInsideGoes)
{
    Folder("target");
    File("target\\x.txt");
    ASSERT_TRUE(MakeHostLink(In("target"), In("inner")));
    Remove("inner\\x.txt\n");
    EXPECT_FALSE(Exists(In("target\\x.txt")));
    EXPECT_TRUE(RemoveOnHost(In("inner")));
}

INSTANTIATE_TEST_SUITE_P(ByHandle, DeletionByHandle, testing::Values(PlatformNt));

TEST(LinkKinds, OnlyReparsePointsStandingForAnotherNameAreLinks)
{
    const DWORD reparse = FILE_ATTRIBUTE_REPARSE_POINT;
    const struct {
        DWORD attributes;
        DWORD tag;
        bool link;
    } rows[] = {
        {reparse, (DWORD)IO_REPARSE_TAG_SYMLINK, true},
        {reparse | FILE_ATTRIBUTE_DIRECTORY, (DWORD)IO_REPARSE_TAG_SYMLINK, true},
        {reparse | FILE_ATTRIBUTE_DIRECTORY, (DWORD)IO_REPARSE_TAG_MOUNT_POINT, true},
        {reparse, (DWORD)IO_REPARSE_TAG_DEDUP, false},
        {reparse, (DWORD)IO_REPARSE_TAG_CLOUD, false},
        {reparse | FILE_ATTRIBUTE_DIRECTORY, (DWORD)IO_REPARSE_TAG_CLOUD_6, false},
        {reparse, (DWORD)IO_REPARSE_TAG_HSM, false},
        {reparse, (DWORD)IO_REPARSE_TAG_APPEXECLINK, false},
        {reparse, (DWORD)IO_REPARSE_TAG_WOF, false},
        // The tag means something only for a reparse point.
        {FILE_ATTRIBUTE_DIRECTORY, (DWORD)IO_REPARSE_TAG_MOUNT_POINT, false},
        {FILE_ATTRIBUTE_ARCHIVE, 0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.link, IsLinkKind(row.attributes, row.tag))
            << std::hex << row.attributes << " " << row.tag;
}

}  // namespace
