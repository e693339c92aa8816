#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/process.h"
#include "driver/installed_state.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_dialog.h"
#include "registry/registry.h"
#include "resources/footprint.h"
#include "setup/setup.h"
#include "uninstall/uninstall.h"

namespace {

const std::string Clsid = SHELL_EXTENSION_CLSID;

class Restore : public ArchiverTest {
protected:
    Restore() : ArchiverTest("restore") {}
    static void Setup(HWND dialog)
    {
        RunAction([](HWND d) { EXPECT_TRUE(WriteAssociations(d)); }, dialog);
    }
    static void Uninstall(const char* left = NULL)
    {
        EXPECT_STREQ(left, UndoRegistration());
        RemoveUninstallEntry();
        EXPECT_EQ(RootKey(ClassesRoot), GetRegistryRoot());
    }
    static std::string Class(const std::string& key, const std::string& name = "")
    {
        return RegText(HKEY_CLASSES_ROOT, key, name);
    }
};

TEST_F(Restore, EveryExtensionGetsBackWhatItHadBefore)
{
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "", REG_SZ, Sz("KezTool"));
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "Content Type", REG_SZ, Sz("application/x-kez"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "Content Type", REG_SZ, Sz("application/zip"));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "", REG_SZ, Sz("ArjFile"));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "Extra", REG_SZ, Sz("kept"));
    std::string arjBefore = DumpTree(HKEY_CLASSES_ROOT, ".arj");
    std::string cabBefore = DumpTree(HKEY_CLASSES_ROOT, ".cab");     // none

    Setup(OpenOptionsDialog({5101, 5102, 5103, 5104}));             // shell integration off
    Setup(OpenOptionsDialog({5101, 5102, 5103, 5104}));             // a second run
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, Sz("LUMBEX"));    // other letter case
    Uninstall();

    EXPECT_EQ("KezTool", Class(".kez"));
    EXPECT_EQ("application/x-kez", Class(".kez", "Content Type"));
    EXPECT_EQ("WinZipper", Class(".zip"));
    EXPECT_EQ("application/zip", Class(".zip", "Content Type"));
    EXPECT_EQ(arjBefore, DumpTree(HKEY_CLASSES_ROOT, ".arj"));
    EXPECT_EQ(cabBefore, DumpTree(HKEY_CLASSES_ROOT, ".cab"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".cab"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".lzh"));     // never ticked, never made
}

std::string Extensions()
{
    std::string dump;
    for (const char* ext : {".kez", ".zip", ".cab", ".arj", ".lzh"})
        dump += DumpTree(HKEY_CLASSES_ROOT, ext);
    return dump;
}

TEST_F(Restore, OnAFreshMachineNoExtensionKeyIsLeftBehind)
{
    Setup(OpenOptionsDialogWithDefaults());
    Setup(OpenOptionsDialogWithDefaults());
    ASSERT_TRUE(IsOwnShellNew(ArchiveTypeTable[0]));
    ASSERT_TRUE(IsOwnShellNew(ArchiveTypeTable[1]));
    Uninstall();
    EXPECT_EQ("", Extensions());
}

TEST_F(Restore, AnotherProgramsNewMenuEntriesComeBackWhole)
{
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "", REG_SZ, Sz("KezTool"));
    SetRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "NullFile", REG_SZ, Sz(""));
    SetRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "ItemName", REG_EXPAND_SZ, Sz("@kt.dll,-3"));
    SetRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew\\Config", "NoExtension", REG_SZ, Sz(""));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "Content Type", REG_SZ, Sz("application/zip"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, std::string("PK\5\6", 4));
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, Sz("CabFile"));
    SetRaw(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile", REG_SZ, Sz(""));
    std::string before = Extensions();

    Setup(OpenOptionsDialog({5101, 5102, 5103}));           // shell integration off
    EXPECT_FALSE(IsOwnShellNew(ArchiveTypeTable[0]));
    Setup(OpenOptionsDialogWithDefaults());                 // now on
    Setup(OpenOptionsDialogWithDefaults());                 // and once more
    EXPECT_TRUE(IsOwnShellNew(ArchiveTypeTable[0]));
    EXPECT_TRUE(IsOwnShellNew(ArchiveTypeTable[1]));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile"));
    Uninstall();
    EXPECT_EQ(before, Extensions());
}

TEST_F(Restore, ANewMenuEntryTooBigToKeepAsideIsNeitherReplacedNorBroughtBackInPart)
{
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
    Setup(OpenOptionsDialogWithDefaults());
    // Its program writes an entry too big to be kept aside whole over the
    // archiver's; setup leaves it, and later it goes again.
    DeleteTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew");
    SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Extra", REG_SZ, Sz("kept"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, std::string(2000, 'd'));
    std::string big = DumpTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew");
    Setup(OpenOptionsDialogWithDefaults());
    EXPECT_EQ(big, DumpTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
    DeleteTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew");
    Setup(OpenOptionsDialogWithDefaults());
    ASSERT_TRUE(IsOwnShellNew(ArchiveTypeTable[1]));
    Uninstall();
    EXPECT_EQ("[.zip]\n  @ = REG_SZ \"WinZipper\"\n", DumpTree(HKEY_CLASSES_ROOT, ".zip"));

    // Such an entry there before the type is taken over: the type is still
    // taken, with shell integration or without, and nothing of the entry is
    // kept aside in part.
    for (bool shellIntegration : {false, true}) {
        ResetArchiverRegistry();
        SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
        SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Extra", REG_SZ, Sz("kept"));
        SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, std::string(2000, 'd'));
        std::string before = DumpTree(HKEY_CLASSES_ROOT, ".zip");
        Setup(shellIntegration ? OpenOptionsDialog({5102, 5109}) : OpenOptionsDialog({5102}));
        EXPECT_EQ("Lumbex.ZIP", Class(".zip")) << shellIntegration;
        EXPECT_EQ(big, DumpTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew")) << shellIntegration;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(SettingsKey) + "\\.zip\\ShellNew"))
            << shellIntegration;
        Uninstall();
        EXPECT_EQ(before, DumpTree(HKEY_CLASSES_ROOT, ".zip")) << shellIntegration;
    }
}

// Every empty ZIP archive is the same 22 bytes, so another archiver's
// template can be byte for byte the archiver's own.
const std::string EmptyZip = std::string("PK\5\6", 4) + std::string(18, '\0');

TEST_F(Restore, ANewMenuEntryJustLikeTheArchiversOwnComesBack)
{
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("OtherZip"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, EmptyZip);
    std::string before = DumpTree(HKEY_CLASSES_ROOT, ".zip");
    Setup(OpenOptionsDialogWithDefaults());
    ASSERT_TRUE(IsOwnShellNew(ArchiveTypeTable[1]));
    Uninstall();
    EXPECT_EQ(before, DumpTree(HKEY_CLASSES_ROOT, ".zip"));

    // Taken over without shell integration first, the template written later.
    Setup(OpenOptionsDialog({5102}));
    Setup(OpenOptionsDialogWithDefaults());
    Uninstall();
    EXPECT_EQ(before, DumpTree(HKEY_CLASSES_ROOT, ".zip"));
}

TEST_F(Restore, ANewMenuEntryMadeSinceSetupStays)
{
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "", REG_SZ, Sz("KezTool"));
    SetRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "NullFile", REG_SZ, Sz(""));
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, Sz("CabTool"));
    SetRaw(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile", REG_SZ, Sz(""));
    Setup(OpenOptionsDialogWithDefaults());
    ASSERT_TRUE(IsOwnShellNew(ArchiveTypeTable[0]));
    // Their programs write new entries while the types are the archiver's:
    // one over the archiver's template, one over an entry setup never touched.
    DeleteTree(HKEY_CLASSES_ROOT, ".kez\\ShellNew");
    SetRaw(HKEY_CLASSES_ROOT, ".kez\\ShellNew", "FileName", REG_SZ, Sz("new.kez"));
    SetRaw(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile", REG_SZ, Sz("changed"));
    std::string kez = DumpTree(HKEY_CLASSES_ROOT, ".kez\\ShellNew");
    std::string cab = DumpTree(HKEY_CLASSES_ROOT, ".cab\\ShellNew");
    Uninstall();
    EXPECT_EQ(kez, DumpTree(HKEY_CLASSES_ROOT, ".kez\\ShellNew"));
    EXPECT_EQ(cab, DumpTree(HKEY_CLASSES_ROOT, ".cab\\ShellNew"));
    EXPECT_EQ("KezTool", RegText(HKEY_CLASSES_ROOT, ".kez", ""));
}

TEST_F(Restore, AnExtensionTakenOverSinceSetupIsLeftAlone)
{
    Setup(OpenOptionsDialogWithDefaults());
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, Sz("CabViewer"));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "", REG_SZ, Sz(std::string(80, 'L')));
    // Only the archiver's own "Open with" value goes.
    DeleteTree(HKEY_CLASSES_ROOT, ".cab\\OpenWithProgids");
    DeleteTree(HKEY_CLASSES_ROOT, ".arj\\OpenWithProgids");
    SetRaw(HKEY_CLASSES_ROOT, ".cab\\OpenWithProgids", "CabViewer", REG_NONE, "");
    std::string cab = DumpTree(HKEY_CLASSES_ROOT, ".cab");
    std::string arj = DumpTree(HKEY_CLASSES_ROOT, ".arj");
    SetRaw(HKEY_CLASSES_ROOT, ".cab\\OpenWithProgids", "Lumbex", REG_SZ, Sz(""));
    Uninstall();
    EXPECT_EQ(cab, DumpTree(HKEY_CLASSES_ROOT, ".cab"));
    EXPECT_EQ(arj, DumpTree(HKEY_CLASSES_ROOT, ".arj"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".lzh", ""));
}

// Records as earlier versions kept them, under HKEY_CURRENT_USER: one that
// cannot be given back as it was leaves the extension as it is, and stays.
TEST_F(Restore, OnlySavedTextsAreGivenBack)
{
    for (const char* ext : {".kez", ".zip", ".cab", ".arj", ".lzh"})
        SetRaw(HKEY_CLASSES_ROOT, ext, "", REG_SZ, Sz("Lumbex"));
    const std::string saved = std::string(SettingsKey) + "\\";
    SetRaw(HKEY_CURRENT_USER, saved + ".kez", "Type", REG_DWORD, std::string("AAA\0", 4));
    SetRaw(HKEY_CURRENT_USER, saved + ".kez", "Content", REG_BINARY, "application/x-kez");
    SetRaw(HKEY_CURRENT_USER, saved + ".zip", "Type", REG_MULTI_SZ, std::string("Zip\0Two\0\0", 9));
    SetRaw(HKEY_CURRENT_USER, saved + ".cab", "Type", REG_EXPAND_SZ, Sz("%Cab%"));
    SetRaw(HKEY_CURRENT_USER, saved + ".arj", "Type", REG_SZ, "ArjTool");     // no terminator
    SetRaw(HKEY_CURRENT_USER, saved + ".lzh", "Type", REG_SZ, Sz(std::string(512, 'L')));
    Uninstall();
    for (const char* ext : {".kez", ".zip", ".cab", ".lzh"}) {
        EXPECT_EQ("[" + std::string(ext) + "]\n  @ = REG_SZ \"Lumbex\"\n",
                  DumpTree(HKEY_CLASSES_ROOT, ext));
        EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, saved + ext, "Type")) << ext;
    }
    EXPECT_EQ("[.arj]\n  @ = REG_SZ \"ArjTool\"\n", DumpTree(HKEY_CLASSES_ROOT, ".arj"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, saved + ".arj", "Type"));
}

// Setup keeps the record machine-wide; one kept by an earlier version for
// the account that uninstalls serves where there is none. Saved as empty,
// as the archiver's own type, or not at all, it had no type.
TEST_F(Restore, TheRecordIsFoundMachineWideOrWhereEarlierVersionsKeptIt)
{
    const std::string record = std::string(SettingsKey) + "\\.zip";
    const HKEY machine = HKEY_LOCAL_MACHINE;
    const HKEY user = HKEY_CURRENT_USER;
    const std::string own = "[.zip]\n  @ = REG_SZ \"Lumbex.ZIP\"\n"
                            "  Content Type = REG_SZ \"application/x-compressed\"\n";
    struct Row {
        const char* name;
        const char* machineType;    // NULL: no record there
        const char* userType;
        std::string after;
    } rows[] = {
        {"machine-wide", "Zipper", NULL,
         "[.zip]\n  @ = REG_SZ \"Zipper\"\n  Content Type = REG_SZ \"application/zip\"\n"},
        {"an earlier version's", NULL, "OldZipper",
         "[.zip]\n  @ = REG_SZ \"OldZipper\"\n  Content Type = REG_SZ \"application/zip\"\n"},
        {"both", "Zipper", "OldZipper",
         "[.zip]\n  @ = REG_SZ \"Zipper\"\n  Content Type = REG_SZ \"application/zip\"\n"},
        {"saved as empty", "", NULL, ""},
        {"saved as the archiver's own", "lumbex.zip", NULL, ""},
        {"nothing saved", NULL, NULL, ""},
    };
    for (const Row& row : rows) {
        ResetArchiverRegistry();
        Setup(OpenOptionsDialog({5102}));
        DeleteTree(machine, ProductKey);
        DeleteTree(user, ProductKey);
        if (row.machineType) {
            SetText(machine, record, "Type", row.machineType);
            SetText(machine, record, "Content", row.machineType[0] == 'Z' ? "application/zip" : "");
        }
        if (row.userType) {
            SetText(user, record, "Type", row.userType);
            SetText(user, record, "Content", "application/zip");
        }
        ASSERT_EQ(own + "[.zip\\OpenWithProgids]\n  Lumbex.ZIP = REG_SZ \"\"\n",
                  DumpTree(HKEY_CLASSES_ROOT, ".zip")) << row.name;
        Uninstall();
        EXPECT_EQ(row.after, DumpTree(HKEY_CLASSES_ROOT, ".zip")) << row.name;
        EXPECT_EQ(std::vector<std::string>(), PresentArchiverRegistry()) << row.name;
    }
}

// A record goes only once what it holds is back in place.
TEST_F(Restore, ARecordStaysUntilItIsGivenBack)
{
    const std::string record = std::string(SettingsKey) + "\\.zip";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        ResetArchiverRegistry();
        SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("WinZipper"));
        Setup(OpenOptionsDialog({5102, 5109}));
        if (root == HKEY_CURRENT_USER) {    // as an earlier version kept it
            SetText(root, record, "Type", "WinZipper");
            SetText(root, record, "Content", "");
            DeleteTree(HKEY_LOCAL_MACHINE, ProductKey);
        }
        std::string kept = DumpTree(root, record);
        ASSERT_TRUE(DenyKeyAccess(HKEY_CLASSES_ROOT, ".zip", KEY_SET_VALUE));
        Uninstall(".zip");
        ASSERT_TRUE(DenyKeyAccess(HKEY_CLASSES_ROOT, ".zip", 0));
        EXPECT_EQ("Lumbex.ZIP", Class(".zip"));
        EXPECT_EQ(kept, DumpTree(root, record));
        // Once the extension can be written, a later run gives it back.
        Uninstall();
        EXPECT_EQ("WinZipper", Class(".zip"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
        EXPECT_EQ(std::vector<std::string>(), PresentArchiverRegistry());
    }
}

TEST_F(Restore, OwnTypesAreRecognisedWhateverTheirLetterCase)
{
    SetRaw(HKEY_CLASSES_ROOT, ".kez", "", REG_SZ, Sz("lumbex"));
    SetRaw(HKEY_CLASSES_ROOT, ".zip", "", REG_SZ, Sz("LUMBEX.zip"));
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, Sz("Lumbex archive"));
    SetRaw(HKEY_CLASSES_ROOT, ".arj", "", REG_SZ, Sz(""));
    SetRaw(HKEY_CLASSES_ROOT, ".k00", "", REG_SZ, Sz("Lumbex"));
    EXPECT_TRUE(IsLumbexType(".kez"));
    EXPECT_TRUE(IsLumbexType(".zip"));
    EXPECT_TRUE(IsLumbexType(".K00"));
    EXPECT_FALSE(IsLumbexType(".cab"));
    EXPECT_FALSE(IsLumbexType(".arj"));
    EXPECT_FALSE(IsLumbexType(".lzh"));
    SetRegistryRoot(HKEY_CURRENT_USER);     // the test ignores the selected root
    EXPECT_TRUE(IsLumbexType(".kez"));
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}

TEST_F(Restore, ProgIdsAndVolumeExtensionsGoWithEverythingBelowThem)
{
    Setup(OpenOptionsDialog({5109}));           // no type ticked: volume keys never made
    SetRaw(HKEY_CLASSES_ROOT, "Lumbex\\shellex\\DropHandler", "", REG_SZ, Sz(Clsid));
    SetRaw(HKEY_CLASSES_ROOT, "Lumbex.ZIP\\shellex\\ContextMenuHandlers\\" + Clsid, "", REG_SZ,
           Sz(""));
    SetRaw(HKEY_CLASSES_ROOT, ".k04", "", REG_SZ, Sz("LUMBEX"));
    SetRaw(HKEY_CLASSES_ROOT, ".k05", "", REG_SZ, Sz("SomethingElse"));
    SetRaw(HKEY_CLASSES_ROOT, ".k07", "", REG_SZ, Sz("Lumbex"));
    SetRaw(HKEY_CLASSES_ROOT, ".k07\\Sub", "", REG_SZ, Sz("x"));
    SetRaw(HKEY_CLASSES_ROOT, ".k20", "", REG_SZ, Sz("Lumbex"));
    std::string taken = DumpTree(HKEY_CLASSES_ROOT, ".k05");
    Uninstall();
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex.ZIP"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".k04"));
    EXPECT_EQ(taken, DumpTree(HKEY_CLASSES_ROOT, ".k05"));     // another program's by now
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".k07\\Sub"));     // a key with subkeys stays
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".k20"));
    DeleteTree(HKEY_CLASSES_ROOT, ".k20");

    PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    Setup(OpenOptionsDialog({}));
    SetRaw(HKEY_CLASSES_ROOT, "Lumbex\\shellex\\DropHandler", "", REG_SZ, Sz(Clsid));
    Uninstall();
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex.ZIP"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
}

TEST_F(Restore, RegistrationGoesAndEverythingElseStaysByteIdentical)
{
    Place(OthersRegistry());
    std::vector<std::string> before = RegistryState(OthersRegistry());
    Setup(OpenOptionsDialogWithDefaults());
    // What setup writes besides the associations, an older version's
    // program path, and a key of the product's that no setup writes.
    PlaceShellRegistration("C:\\L");
    const std::string older = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Lumbex95.exe";
    SetText(HKEY_LOCAL_MACHINE, older, "", "old");
    SetText(HKEY_CURRENT_USER, std::string(ProductKey) + "\\Other", "ByHand", "x");
    ASSERT_NE(before, RegistryState(OthersRegistry()));     // the approval sits beside the others
    Uninstall();

    EXPECT_EQ(before, RegistryState(OthersRegistry()));
    EXPECT_EQ(std::vector<std::string>(), PresentArchiverRegistry());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, older));
    for (const ShellExtensionValue& value : ShellExtensionValues)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ShellKey(value))) << ShellKey(value);
    for (const std::string& ext : ArchiverExtensions())
        EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ext, "")) << ext;
    Remove(OthersRegistry());
}

}  // namespace
