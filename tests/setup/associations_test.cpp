#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "resources/process.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_dialog.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/setup.h"

namespace {

const std::string Settings = std::string(SettingsKey) + "\\";
const char* AllTypes[] = {".kez", ".zip", ".cab", ".arj", ".lzh"};

class Associations : public ArchiverTest {
protected:
    Associations() : ArchiverTest("assoc") {}
    static bool Run(HWND dialog) { return RunAction(WriteAssociations, dialog); }
    static std::string Class(const std::string& key, const std::string& name = "")
    {
        return RegText(HKEY_CLASSES_ROOT, key, name);
    }
};

TEST_F(Associations, AFirstRunWithTheDefaultsWritesEveryTypeAndItsHistory)
{
    EXPECT_TRUE(Run(OpenOptionsDialogWithDefaults()));
    for (const char* ext : AllTypes) {
        std::string settings = Settings + ext;
        EXPECT_EQ((DWORD)REG_DWORD, RegType(HKEY_CURRENT_USER, settings, "Associated")) << ext;
        EXPECT_EQ(std::string("\x01\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, settings, "Associated"));
        EXPECT_EQ(Sz(""), RegRaw(HKEY_CURRENT_USER, settings, "Type")) << ext;
        EXPECT_EQ(Sz(""), RegRaw(HKEY_CURRENT_USER, settings, "Content")) << ext;
        EXPECT_EQ((DWORD)REG_SZ, RegType(HKEY_CLASSES_ROOT, ext, "")) << ext;
    }
    EXPECT_EQ("Lumbex", Class(".kez"));
    EXPECT_EQ("application/x-kez-compressed", Class(".kez", "Content Type"));
    EXPECT_EQ("Lumbex.ZIP", Class(".zip"));
    for (const char* ext : {".zip", ".cab", ".arj", ".lzh"})
        EXPECT_EQ("application/x-compressed", Class(ext, "Content Type")) << ext;
    for (const char* ext : {".cab", ".arj", ".lzh"}) {
        EXPECT_EQ("Lumbex", Class(ext)) << ext;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(ext) + "\\ShellNew")) << ext;
    }

    std::string kez = RegRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "Data");
    EXPECT_EQ((DWORD)REG_BINARY, RegType(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "Data"));
    EXPECT_EQ(std::string("\x4B\x65\x7A\x21\x1A\x07\x00\xCF\x90\x73\x00\x00\x0D\x00"
                          "\x00\x00\x00\x00\x00\x00", 20), kez);
    ASSERT_EQ(20u, kez.size());
    EXPECT_EQ(HeaderCrc(kez.substr(9, 11)), (unsigned)(unsigned char)kez[7] |
                                                ((unsigned)(unsigned char)kez[8] << 8));
    EXPECT_EQ(std::string("PK\x05\x06", 4) + std::string(18, '\0'),
              RegRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data"));

    for (int n = 0; n < 20; n++) {
        char volume[8];
        wsprintfA(volume, ".k%02d", n);
        EXPECT_EQ("Lumbex", Class(volume)) << volume;
        EXPECT_EQ("application/x-kez-compressed", Class(volume, "Content Type")) << volume;
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".k20"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".k0"));

    std::string archiver = folder + "\\Lumbex.exe";
    EXPECT_EQ("Lumbex archive", Class("Lumbex"));
    EXPECT_EQ("Lumbex ZIP archive", Class("Lumbex.ZIP"));
    for (const char* id : {"Lumbex", "Lumbex.ZIP"}) {
        EXPECT_EQ("\"" + archiver + "\" \"%1\"", Class(std::string(id) + "\\shell\\open\\command"));
        EXPECT_EQ(archiver + ",0", Class(std::string(id) + "\\DefaultIcon"));
    }
}

TEST_F(Associations, RepeatedRunsNeverLoseTheSavedPreviousTypes)
{
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "", REG_SZ, Sz("KezTool"));
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "Content Type", REG_SZ, Sz("application/x-kez"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "Content Type", REG_SZ, Sz("application/zip"));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "", REG_SZ, Sz("ArjFile"));
    Run(OpenOptionsDialogWithDefaults());
    Run(OpenOptionsDialog({5102, 5103, 5109}));     // a second run with other choices
    Run(OpenOptionsDialogWithDefaults());

    struct Saved {
        const char* ext;
        const char* type;
        const char* content;
    } expected[] = {
        {".kez", "KezTool", "application/x-kez"},
        {".zip", "WinZipper", "application/zip"},
        {".cab", "", ""},
        {".arj", "ArjFile", ""},
        {".lzh", "", ""},
    };
    for (const Saved& s : expected) {
        std::string settings = Settings + s.ext;
        EXPECT_EQ(s.type, RegText(HKEY_CURRENT_USER, settings, "Type")) << s.ext;
        EXPECT_EQ(s.content, RegText(HKEY_CURRENT_USER, settings, "Content")) << s.ext;
    }
}

TEST_F(Associations, AnOwnTypeInAnyLetterCaseIsNotSavedAsThePreviousOne)
{
    SetRaw(HKEY_CURRENT_USER, Settings + ".arj", "Type", REG_SZ, Sz("Earlier"));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "", REG_SZ, Sz("LUMBEX"));
    SetRaw(HKEY_CURRENT_USER, Settings + ".lzh", "Type", REG_SZ, Sz("Older"));
    SetRaw(HKEY_CLASSES_ROOT, ".lzh", "", REG_SZ, Sz("lumbex.zip"));
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, Sz("Lumbex.ZIPPED"));
    Run(OpenOptionsDialog({5103, 5104, 5105}));
    EXPECT_EQ("Earlier", RegText(HKEY_CURRENT_USER, Settings + ".arj", "Type"));
    EXPECT_EQ("Older", RegText(HKEY_CURRENT_USER, Settings + ".lzh", "Type"));
    EXPECT_EQ("Lumbex.ZIPPED", RegText(HKEY_CURRENT_USER, Settings + ".cab", "Type"));
    EXPECT_EQ("Lumbex", Class(".arj"));
}

TEST_F(Associations, ATypeThatCouldNotBeGivenBackIsNotTakenOver)
{
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz(std::string(600, 'z')));
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_DWORD, std::string("\1\0\0\0", 4));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "Content Type", REG_BINARY, "abc");
    SetRaw(HKEY_CLASSES_ROOT, ".lzh", "", REG_SZ, Sz(std::string(511, 'l')));   // just fits
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "", REG_SZ, Sz("KezTool"));
    ASSERT_TRUE(DenyKeyAccess(HKEY_CLASSES_ROOT, ".kez", KEY_QUERY_VALUE));     // unreadable
    std::string zip = DumpTree(HKEY_CLASSES_ROOT, ".zip");
    std::string cab = DumpTree(HKEY_CLASSES_ROOT, ".cab");
    std::string arj = DumpTree(HKEY_CLASSES_ROOT, ".arj");
    // Left alone on purpose: no failure to report.
    EXPECT_TRUE(Run(OpenOptionsDialogWithDefaults()));
    ASSERT_TRUE(DenyKeyAccess(HKEY_CLASSES_ROOT, ".kez", 0));
    EXPECT_EQ("KezTool", Class(".kez"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Settings + ".kez", "Type"));
    EXPECT_EQ(zip, DumpTree(HKEY_CLASSES_ROOT, ".zip"));
    EXPECT_EQ(cab, DumpTree(HKEY_CLASSES_ROOT, ".cab"));
    EXPECT_EQ(arj, DumpTree(HKEY_CLASSES_ROOT, ".arj"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Settings + ".zip", "Type"));
    EXPECT_EQ("Lumbex", Class(".lzh"));
    EXPECT_EQ(std::string(511, 'l'), RegText(HKEY_CURRENT_USER, Settings + ".lzh", "Type"));
}

// A file type that could not be written is reported; the others are
// written all the same.
TEST_F(Associations, AWriteThatFailedIsReported)
{
    for (const char* key : {".zip", "Lumbex.ZIP\\DefaultIcon"}) {
        SetRaw(HKEY_CLASSES_ROOT, key, "", REG_SZ, Sz("Locked"));
        ASSERT_TRUE(DenyKeyAccess(HKEY_CLASSES_ROOT, key, KEY_SET_VALUE));
        bool written = Run(OpenOptionsDialogWithDefaults());
        ASSERT_TRUE(DenyKeyAccess(HKEY_CLASSES_ROOT, key, 0));
        EXPECT_FALSE(written) << key;
        EXPECT_EQ("Locked", Class(key));
        EXPECT_EQ("Lumbex", Class(".cab")) << key;
        EXPECT_EQ("Lumbex archive", Class("Lumbex")) << key;
        DeleteTree(HKEY_CLASSES_ROOT, ".zip");
        DeleteTree(HKEY_CLASSES_ROOT, "Lumbex.ZIP");
    }
    EXPECT_TRUE(Run(OpenOptionsDialogWithDefaults()));
}

TEST_F(Associations, NoBoxTickedStoresTheChoicesAndTheProgIdsOnly)
{
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
    std::string zipBefore = DumpTree(HKEY_CLASSES_ROOT, ".zip");
    Run(OpenOptionsDialog({}));
    for (const char* ext : AllTypes) {
        std::string settings = Settings + ext;
        EXPECT_EQ(std::string(4, '\0'), RegRaw(HKEY_CURRENT_USER, settings, "Associated"));
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, settings, "Type")) << ext;
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, settings, "Content")) << ext;
    }
    EXPECT_EQ(zipBefore, DumpTree(HKEY_CLASSES_ROOT, ".zip"));
    for (const std::string& ext : ArchiverExtensions())
        if (ext != ".zip")
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ext)) << ext;
    EXPECT_EQ("Lumbex archive", Class("Lumbex"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex.ZIP\\shell\\open\\command"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex.ZIP\\DefaultIcon"));
}

TEST_F(Associations, ShellNewTemplatesFollowTheShellIntegrationBox)
{
    SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "NullFile", REG_SZ, Sz(""));
    SetRaw(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile", REG_SZ, Sz(""));
    Run(OpenOptionsDialog({5101, 5102, 5103}));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".kez\\ShellNew"));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "NullFile"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data"));

    Run(OpenOptionsDialog({5101, 5102, 5103, 5109}));
    EXPECT_EQ(20u, RegRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "Data").size());
    EXPECT_EQ(22u, RegRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data").size());
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "NullFile"));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "Data"));
}

TEST_F(Associations, VolumeExtensionsFollowTheKezBoxOnly)
{
    Run(OpenOptionsDialog({5102, 5103, 5104, 5105, 5109}));
    for (int n = 0; n < 20; n++) {
        char volume[8];
        wsprintfA(volume, ".k%02d", n);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, volume)) << volume;
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".kez"));
}

TEST_F(Associations, AnInstallFolderAtADriveRootHasOneBackslash)
{
    SetCurrentDirectoryA("C:\\");
    Run(OpenOptionsDialog({5101}));
    EXPECT_EQ("\"C:\\Lumbex.exe\" \"%1\"", Class("Lumbex\\shell\\open\\command"));
    EXPECT_EQ("C:\\Lumbex.exe,0", Class("Lumbex.ZIP\\DefaultIcon"));
}

TEST_F(Associations, AFolderTooLongForTheCommandLeavesItUnwrittenRatherThanCut)
{
    // 252 bytes: the folder fits, the archiver path does not.
    std::string deep = folder;
    while (deep.size() < 240)
        deep += "\\" + std::string(std::min<size_t>(60, 251 - deep.size()), 'd');
    ASSERT_TRUE(SHCreateDirectoryExA(NULL, deep.c_str(), NULL) == ERROR_SUCCESS);
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    ASSERT_GT(deep.size() + strlen("\\Lumbex.exe"), 259u);
    Run(OpenOptionsDialog({5101}));
    EXPECT_EQ("Lumbex archive", Class("Lumbex"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex\\shell\\open\\command"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex.ZIP\\DefaultIcon"));
    EXPECT_EQ("Lumbex", Class(".kez"));
}

TEST_F(Associations, DescriptionsComeFromTheLanguageModule)
{
    HMODULE module = LoadLibraryA(FixturePath("testlng\\kezlng.dll").c_str());
    ASSERT_TRUE(module != NULL);
    ResourceModule = module;
    Run(OpenOptionsDialog({}));
    EXPECT_EQ("Test: Lumbex Archiv", Class("Lumbex"));
    EXPECT_EQ("Test: Lumbex ZIP Archiv", Class("Lumbex.ZIP"));
    ResourceModule = GetModuleHandleA(NULL);
    FreeLibrary(module);
}

}  // namespace
