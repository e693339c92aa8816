// The forms in which paths reach the ANSI calls and the interpreter, on a
// Western system (ANSI 1252, OEM 437): exact where the code page holds every
// letter, the short form where it does not, nothing where there is none.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resources/process.h"
#include "driver/sandbox.h"
#include "resources/path_forms.h"

namespace {

class PathForms : public testing::Test {
protected:
    std::string root;
    std::wstring wideRoot;

    void SetUp() override
    {
        if (GetACP() != 1252 || GetOEMCP() != 437)
            GTEST_SKIP() << "for code pages 1252 and 437";
        root = MakeSandbox("forms");
        wideRoot = L"C:\\lumbex-tests\\forms";
    }
    void TearDown() override
    {
        if (!root.empty())
            RemoveTree(root);
        PlatformId = VER_PLATFORM_WIN32_NT;
    }

    // A folder below the sandbox, made when wanted.
    std::wstring Folder(const std::wstring& name, bool make)
    {
        std::wstring path = wideRoot + L"\\" + name;
        if (make)
            EXPECT_TRUE(CreateDirectoryW(path.c_str(), NULL));
        return path;
    }
};

TEST_F(PathForms, ExactWhereTheCodePageHoldsEveryLetterElseShortElseNone)
{
    struct Row {
        const wchar_t* name;
        bool made;
        const char* ansi;       // nullptr: the short form; "": none
        const char* oem;
    };
    const Row rows[] = {
        {L"Grüße", false, "C:\\lumbex-tests\\forms\\Gr\xFC\xDF" "e",
         "C:\\lumbex-tests\\forms\\Gr\x81\xE1" "e"},
        {L"A&B %PATH% ^!", false, "C:\\lumbex-tests\\forms\\A&B %PATH% ^!",
         "C:\\lumbex-tests\\forms\\A&B %PATH% ^!"},
        {L"Lumbex \x20AC", true, "C:\\lumbex-tests\\forms\\Lumbex \x80", nullptr},
        {L"Lumbex \x20AC gone", false, "C:\\lumbex-tests\\forms\\Lumbex \x80 gone", ""},
        // Best fit would make "Lodz" of it, another folder's name.
        {L"\x141\xF3" L"d\x17A", false, "", ""},
        {L"\x141\xF3" L"d\x17A made", true, nullptr, nullptr},
        {L"\x4E2D\x6587", true, nullptr, nullptr},
    };
    for (const Row& row : rows) {
        std::wstring path = Folder(row.name, row.made);
        WCHAR shortWide[MAX_PATH] = L"";
        char shortPath[MAX_PATH] = "";
        if (row.made) {
            ASSERT_TRUE(GetShortPathNameW(path.c_str(), shortWide, MAX_PATH));
            WideCharToMultiByte(CP_ACP, 0, shortWide, -1, shortPath, MAX_PATH, NULL, NULL);
        }
        char ansi[MAX_PATH];
        bool hasAnsi = AnsiPathOf(path.c_str(), ansi, sizeof ansi);
        std::string wantedAnsi = row.ansi ? row.ansi : shortPath;
        EXPECT_EQ(!wantedAnsi.empty(), hasAnsi) << wantedAnsi;
        EXPECT_EQ(wantedAnsi, ansi);
        if (row.made) {
            EXPECT_TRUE(IsFolder(ansi)) << ansi;
        }
        if (!hasAnsi)
            continue;
        char oem[MAX_PATH];
        bool hasOem = OemPathOf(ansi, oem, sizeof oem);
        std::string wantedOem = row.oem ? row.oem : shortPath;
        EXPECT_EQ(!wantedOem.empty(), hasOem) << wantedOem;
        EXPECT_EQ(wantedOem, oem);
    }
}

TEST_F(PathForms, APathThatDoesNotFitIsNone)
{
    char out[8];
    EXPECT_FALSE(AnsiPathOf(L"C:\\12345678", out, sizeof out));
    EXPECT_STREQ("", out);
    EXPECT_TRUE(AnsiPathOf(L"C:\\1234", out, sizeof out));
    EXPECT_FALSE(OemPathOf("C:\\12345678", out, sizeof out));
    EXPECT_STREQ("", out);
}

// The Windows 95 family has no wide calls; its ANSI calls are exact there.
TEST_F(PathForms, OwnCurrentAndTemporaryPathsOnBothFamilies)
{
    std::wstring folder = Folder(L"\x4E2D\x6587 cwd", true);
    WCHAR saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    char current[MAX_PATH], own[MAX_PATH], temp[MAX_PATH];
    bool found = CurrentFolderPath(current, sizeof current);
    SetCurrentDirectoryW(saved);
    ASSERT_TRUE(found);
    EXPECT_TRUE(IsFolder(current));
    EXPECT_EQ(std::string::npos, std::string(current).find('?')) << current;

    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, sizeof module);
    for (DWORD platform : {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS}) {
        PlatformId = platform;
        ASSERT_TRUE(OwnExecutablePath(own, sizeof own));
        EXPECT_STREQ(module, own);
        ASSERT_TRUE(TempFolderPath(temp, sizeof temp));
        EXPECT_TRUE(IsFolder(temp));
        EXPECT_EQ('\\', temp[strlen(temp) - 1]);
    }
}

}  // namespace
