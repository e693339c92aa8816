#include <shlobj.h>
#include <string.h>

#include <vector>

#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/setup.h"
#include "setup_fixture.h"

#include "driver/setup_dialog.h"

namespace {


class Shortcuts : public SetupFixture {
protected:
    void RunCreateLinks(std::initializer_list<int> ticked)
    {
        RunAction(CreateLinks, OpenOptionsDialog(ticked));
    }
    DWORD Choice(const std::string& key, const char* value)
    {
        std::string raw = RegRaw(HKEY_CURRENT_USER, key, value);
        EXPECT_EQ((DWORD)REG_DWORD, RegType(HKEY_CURRENT_USER, key, value)) << value;
        return raw.size() == 4 ? *(const DWORD*)raw.data() : 0xFFFFFFFF;
    }
    static std::string Desktop() { return ShellFolderPath(CSIDL_DESKTOPDIRECTORY); }
    static std::string StartMenu() { return ShellFolderPath(CSIDL_STARTMENU); }
    static std::string Group() { return ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex"; }
    static std::string CommonGroup() { return ShellFolderPath(CSIDL_COMMON_PROGRAMS) + "\\Lumbex"; }
};

TEST_F(Shortcuts, NtFamilyGetsEveryChosenShortcutAndBothGroups)
{
    ASSERT_FALSE(Desktop().empty());
    ASSERT_NE(Group(), CommonGroup());
    RunCreateLinks({IDC_DESKTOP, IDC_STARTMENU, IDC_PROGRAMS, IDC_SHELLEXT, IDC_MENUICONS});

    ExpectLink(Desktop() + "\\Lumbex.lnk", InFolder("Lumbex.exe"));
    ExpectLink(StartMenu() + "\\Lumbex.lnk", InFolder("Lumbex.exe"));
    ExpectGroup(Group(), folder);
    ExpectGroup(CommonGroup(), folder);
    EXPECT_EQ(Group(), ProgramGroupPath);

    EXPECT_EQ(1u, Choice(LinksKey, "Desktop"));
    EXPECT_EQ(1u, Choice(LinksKey, "StartMenu"));
    EXPECT_EQ(1u, Choice(LinksKey, "Programs"));
    EXPECT_EQ(1u, Choice(SettingsKey, "ShellExt"));
    EXPECT_EQ(0u, Choice(SettingsKey, "CascadedMenu"));
    EXPECT_EQ(1u, Choice(SettingsKey, "MenuIcons"));
}

TEST_F(Shortcuts, Windows95FamilyGetsOnlyThePerUserGroup)
{
    PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    RunCreateLinks({IDC_PROGRAMS, IDC_CASCADED});

    ExpectGroup(Group(), folder);
    EXPECT_FALSE(Exists(CommonGroup()));
    EXPECT_FALSE(Exists(Desktop() + "\\Lumbex.lnk"));
    EXPECT_FALSE(Exists(StartMenu() + "\\Lumbex.lnk"));
    EXPECT_EQ(Group(), ProgramGroupPath);
    EXPECT_EQ(0u, Choice(LinksKey, "Desktop"));
    EXPECT_EQ(1u, Choice(SettingsKey, "CascadedMenu"));
    EXPECT_EQ(0u, Choice(SettingsKey, "ShellExt"));
}

TEST_F(Shortcuts, NothingChosenStillStoresTheChoicesAndMakesNoFile)
{
    strcpy(ProgramGroupPath, "C:\\stale");
    RunCreateLinks({});
    EXPECT_STREQ("", ProgramGroupPath);
    EXPECT_FALSE(Exists(Group()));
    EXPECT_FALSE(Exists(CommonGroup()));
    EXPECT_FALSE(Exists(Desktop() + "\\Lumbex.lnk"));
    for (const char* value : {"Desktop", "StartMenu", "Programs"})
        EXPECT_EQ(0u, Choice(LinksKey, value));
    for (const char* value : {"ShellExt", "CascadedMenu", "MenuIcons"})
        EXPECT_EQ(0u, Choice(SettingsKey, value));
}

TEST_F(Shortcuts, ASecondRunRewritesTheGroupAndLeavesUnchosenLinks)
{
    RunCreateLinks({IDC_DESKTOP, IDC_PROGRAMS});
    std::string moved = MakeSandbox("setup unit moved");
    SetCurrentDirectoryA(moved.c_str());
    WriteBytes(Group() + "\\Own note.txt", "kept");
    RunCreateLinks({IDC_PROGRAMS});

    ExpectGroup(Group(), moved);
    ExpectGroup(CommonGroup(), moved);
    EXPECT_EQ("kept", ReadBytes(Group() + "\\Own note.txt"));
    ExpectLink(Desktop() + "\\Lumbex.lnk", InFolder("Lumbex.exe"));
}

std::vector<std::string> LinkNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

TEST_F(Shortcuts, TranslatedNamesNameTheGroupLinksAndBadNamesAreSkipped)
{
    HMODULE language = LoadLibraryA(FixturePath("testlng\\kezlng.dll").c_str());
    ASSERT_TRUE(language != NULL);
    ResourceModule = language;
    RunCreateLinks({IDC_PROGRAMS});
    ExpectLink(Group() + "\\Lumbex.lnk", InFolder("Lumbex.exe"));
    ExpectLink(Group() + "\\Test: Lumbex Hilfe.lnk", InFolder("Lumbex.hlp"));
    ExpectLink(Group() + "\\Test: KEZ Handbuch.lnk", InFolder("Kez.txt"));
    FreeLibrary(language);

    ForgetSetup();
    language = LoadLibraryA(FixturePath("badlng\\kezlng.dll").c_str());
    ASSERT_TRUE(language != NULL);
    ResourceModule = language;
    RunCreateLinks({IDC_PROGRAMS});
    ResourceModule = GetModuleHandleA(NULL);
    FreeLibrary(language);
    ExpectLink(Group() + "\\Lumbex.lnk", InFolder("Lumbex.exe"));
    for (const std::string& name : LinkNames(Group()))
        EXPECT_EQ(std::string::npos, name.find("help")) << name;
}

TEST_F(Shortcuts, TargetsThatWouldNotFitAreNotLinked)
{
    // 250 characters: "\Kez.txt" still fits the 260-byte path, "\Lumbex.exe" does not.
    std::string longFolder = FolderOfLength(250);
    ASSERT_TRUE(SetCurrentDirectoryA(longFolder.c_str()));
    RunCreateLinks({IDC_DESKTOP, IDC_STARTMENU, IDC_PROGRAMS});

    EXPECT_FALSE(Exists(Desktop() + "\\Lumbex.lnk"));
    EXPECT_FALSE(Exists(StartMenu() + "\\Lumbex.lnk"));
    EXPECT_FALSE(Exists(Group() + "\\Lumbex.lnk"));
    EXPECT_FALSE(Exists(Group() + "\\Lumbex help.lnk"));
    ExpectLink(Group() + "\\Console KEZ manual.lnk", longFolder + "\\Kez.txt");
}

// The desktop or the Programs folder moved to a folder that is gone, or to
// one so deep that the link's or group's own path would not fit: nothing is
// made there, nor in the current directory (where an unchecked empty folder
// path would put it).
class MovedFolders : public Shortcuts {
protected:
    void SetUp() override
    {
        Shortcuts::SetUp();
        for (const char* name : Names)
            previous.push_back(RegText(HKEY_CURRENT_USER, Folders, name));
    }
    void TearDown() override
    {
        for (size_t i = 0; i < previous.size(); i++)
            MoveFolder(Names[i], previous[i]);
        Shortcuts::TearDown();
    }
    void MoveFolder(const char* name, const std::string& path)
    {
        SetRaw(HKEY_CURRENT_USER, Folders, name, REG_EXPAND_SZ, path + '\0');
    }
    static int Entries(const std::string& folder)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        int entries = 0;
        if (search != INVALID_HANDLE_VALUE) {
            do
                entries += found.cFileName[0] != '.';
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        return entries;
    }
    const char* Folders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const char* Names[2] = {"Desktop", "Programs"};
    std::vector<std::string> previous;
};

TEST_F(MovedFolders, AMissingDesktopIsSkipped)
{
    ASSERT_NE("<missing>", previous[0]);
    MoveFolder("Desktop", "C:\\lumbex-tests\\no such desktop");
    RunCreateLinks({IDC_DESKTOP, IDC_STARTMENU});
    EXPECT_FALSE(Exists(InFolder("Lumbex.lnk")));
    EXPECT_FALSE(Exists("C:\\lumbex-tests\\no such desktop\\Lumbex.lnk"));
    ExpectLink(StartMenu() + "\\Lumbex.lnk", InFolder("Lumbex.exe"));
}

TEST_F(MovedFolders, APathThatWouldNotFitIsNotUsed)
{
    std::string deep = FolderOfLength(249);     // + "\Lumbex.lnk" = 260
    MoveFolder("Desktop", deep);
    ASSERT_EQ(deep, Desktop());
    RunCreateLinks({IDC_DESKTOP});
    EXPECT_EQ(0, Entries(deep));
    EXPECT_FALSE(Exists(InFolder("Lumbex.lnk")));

    // No room for even the backslash: no group, and none for the
    // completion dialog to open either.
    ASSERT_NE("<missing>", previous[1]);
    std::string full = FolderOfLength(259);
    MoveFolder("Programs", full);
    ASSERT_EQ(full, ShellFolderPath(CSIDL_PROGRAMS));
    RunCreateLinks({IDC_PROGRAMS});
    EXPECT_STREQ("", ProgramGroupPath);
    EXPECT_EQ(0, Entries(full));
    ExpectGroup(CommonGroup(), folder);
}

TEST(CreateShortcut, SavesTargetAndDescriptionAndReportsFailures)
{
    std::string folder = MakeSandbox("shortcut");
    std::string link = folder + "\\Plain.lnk";
    EXPECT_TRUE(CreateShortcut("C:\\Somewhere\\Tool.exe", link.c_str(), "Described"));
    Shortcut shortcut = ReadShortcut(link);
    ASSERT_TRUE(shortcut.found);
    EXPECT_EQ("C:\\Somewhere\\Tool.exe", shortcut.target);
    EXPECT_EQ("Described", shortcut.description);

    // Saved again over the existing file.
    EXPECT_TRUE(CreateShortcut("C:\\Other.exe", link.c_str(), "Again"));
    EXPECT_EQ("C:\\Other.exe", ReadShortcut(link).target);

    std::string nowhere = folder + "\\missing folder\\Plain.lnk";
    EXPECT_FALSE(CreateShortcut("C:\\Tool.exe", nowhere.c_str(), "Lost"));
    EXPECT_FALSE(Exists(nowhere));
}

}  // namespace
