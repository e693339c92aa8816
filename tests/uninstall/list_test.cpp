// The list passes on real files in the prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/sandbox.h"
#include "uninstall/uninstall.h"

namespace {

// The install folder sits one level down, so that entries can point beside it.
class ListPasses : public testing::Test {
protected:
    std::string root;
    std::string folder;

    void SetUp() override
    {
        root = MakeSandbox("list");
        folder = root + "\\Lumbex";
        CreateDirectoryA(folder.c_str(), NULL);
    }
    void TearDown() override { RemoveTree(root); }

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

TEST_F(ListPasses, FoldersListedBeforeTheirContentsGoInLaterPasses)
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

TEST_F(ListPasses, PassesGoOnWhileSomethingListedStandsAndCanStillGo)
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

TEST_F(ListPasses, ReadOnlyHiddenAndSystemEntriesAreRemoved)
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

TEST_F(ListPasses, LinesAreTakenByteForByte)
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

TEST_F(ListPasses, AnEmptyListRemovesNothing)
{
    File("kept.txt");
    EXPECT_EQ(1, Remove(""));
    EXPECT_EQ(1, Remove("\r\n \r\n"));
    EXPECT_TRUE(Exists(In("kept.txt")));
}

TEST_F(ListPasses, ALongLineNamesNothingAndTheNextLineStillCounts)
{
    File("aatail.txt");
    File("next.txt");
    Remove(std::string(521, 'a') + "tail.txt\r\nnext.txt\r\n");
    EXPECT_TRUE(Exists(In("aatail.txt")));
    EXPECT_FALSE(Exists(In("next.txt")));
}

TEST_F(ListPasses, AnEntryWhosePathDoesNotFitIsSkipped)
{
    // Cut to the 259 bytes of a path, the entry would name this file.
    std::string name(259 - folder.size() - 1, 'n');
    File(name);
    File("next.txt");
    Remove(name + "more\n" + "next.txt\n");
    EXPECT_TRUE(Exists(In(name)));
    EXPECT_FALSE(Exists(In("next.txt")));
}

TEST_F(ListPasses, EntriesThatLeaveTheInstallFolderAreRefused)
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

TEST_F(ListPasses, TheInstallFolderItselfIsNeverAnEntry)
{
    File("a.txt");
    Remove("a.txt\n.\nsub\\..\n..\\Lumbex\n..\\Lumbex\\\nx\\..\\\n");
    EXPECT_FALSE(Exists(In("a.txt")));
    EXPECT_TRUE(IsFolder(folder));
}

TEST_F(ListPasses, ADriveRootPrefixIsNotDoubled)
{
    // An install folder at a drive root: entries below it resolve as usual.
    std::string name = "lumbex-tests\\list\\Lumbex\\root.txt";
    File("root.txt");
    Remove(name + "\n", "C:\\");
    EXPECT_FALSE(Exists(In("root.txt")));
}

// Where the system cannot tell where a path leads, every folder on the way
// from the install folder to the entry is looked at.
TEST_F(ListPasses, LinksOnTheWayAreFoundFolderByFolder)
{
    std::string outside = root + "\\outside";
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), NULL));
    ASSERT_TRUE(WriteBytes(outside + "\\x.txt", "someone else's"));
    ASSERT_TRUE(MakeHostLink(outside, In("link")));
    Folder("real");
    File("real\\y.txt");
    std::string installFolder = folder + "\\";
    EXPECT_TRUE(LinkOnTheWay(installFolder.c_str(), In("link\\x.txt").c_str()));
    EXPECT_TRUE(LinkOnTheWay(installFolder.c_str(), In("link").c_str()));
    EXPECT_FALSE(LinkOnTheWay(installFolder.c_str(), In("real\\y.txt").c_str()));
    EXPECT_FALSE(LinkOnTheWay(installFolder.c_str(), In("real\\missing\\z.txt").c_str()));
    EXPECT_TRUE(RemoveOnHost(In("link")));
    EXPECT_EQ("someone else's", ReadBytes(outside + "\\x.txt"));
}

}  // namespace
