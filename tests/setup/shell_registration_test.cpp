#include "driver/setup_dialog.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/setup.h"
#include "setup_fixture.h"

namespace {

class ShellRegistration : public SetupFixture {
protected:
    bool Register(std::initializer_list<int> ticked)
    {
        return RunAction(WriteShellRegistration, OpenOptionsDialog(ticked));
    }
    static std::string OwnPath()
    {
        char own[MAX_PATH];
        GetModuleFileNameA(NULL, own, sizeof own);
        return own;
    }
    static std::string OwnFolder()
    {
        std::string own = OwnPath();
        return own.substr(0, own.rfind('\\'));
    }
    static void ExpectText(HKEY root, const std::string& key, const std::string& name,
                           const std::string& data)
    {
        EXPECT_EQ((DWORD)REG_SZ, RegType(root, key, name)) << key << " " << name;
        EXPECT_EQ(data + '\0', RegRaw(root, key, name)) << key << " " << name;
    }
    // Every value of the footprint's table, with the server in the current folder.
    void ExpectShellExtension()
    {
        for (const ShellExtensionValue& value : ShellExtensionValues)
            ExpectText(HKEY_CLASSES_ROOT, ShellKey(value), value.name,
                       value.data ? value.data : folder + "\\kezext.dll");
    }
    static void ExpectNoShellExtension()
    {
        for (const ShellExtensionValue& value : ShellExtensionValues)
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ShellKey(value))) << ShellKey(value);
    }
    // The five entries: the executable's own folder for the uninstall command
    // and the archiver's path, the current directory for "Path".
    void ExpectProductEntries(const std::string& displayName)
    {
        ExpectText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName", displayName);
        ExpectText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString",
                   "\"" + OwnPath() + "\"");
        ExpectText(HKEY_LOCAL_MACHINE, AppPathKey, "", OwnFolder() + "\\Lumbex.exe");
        ExpectText(HKEY_LOCAL_MACHINE, AppPathKey, "Path", folder);
        ExpectText(HKEY_LOCAL_MACHINE, ApprovedKey, SHELL_EXTENSION_CLSID,
                   "Lumbex shell extension");
    }
};

TEST_F(ShellRegistration, IntegrationWritesTheClassValuesAndTheProductEntries)
{
    ASSERT_NE(OwnFolder(), folder);
    SetRegistryRoot(HKEY_CURRENT_USER);     // whatever the previous action left
    Register({IDC_SHELLEXT});
    ExpectShellExtension();
    ExpectProductEntries("Lumbex archiver");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "CLSID\\" SHELL_EXTENSION_CLSID));

    // A second run writes the same again.
    Register({IDC_SHELLEXT});
    ExpectShellExtension();
    ExpectProductEntries("Lumbex archiver");
}

TEST_F(ShellRegistration, WithoutIntegrationOnlyTheProductIsRegistered)
{
    EXPECT_TRUE(Register({IDC_KEZ, IDC_PROGRAMS}));
    ExpectNoShellExtension();
    ExpectProductEntries("Lumbex archiver");
}

// An entry that cannot be written is reported; the rest is written.
TEST_F(ShellRegistration, AnEntryThatCouldNotBeWrittenIsReported)
{
    SetText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName", "Locked");
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, UninstallEntryKey, KEY_SET_VALUE));
    bool written = Register({IDC_SHELLEXT});
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, UninstallEntryKey, 0));
    EXPECT_FALSE(written);
    EXPECT_EQ("Locked", RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName"));
    ExpectShellExtension();
    ExpectText(HKEY_LOCAL_MACHINE, AppPathKey, "Path", folder);
}

TEST_F(ShellRegistration, TheDisplayNameFollowsTheLanguageModule)
{
    HMODULE language = LoadLibraryA(FixturePath("testlng\\kezlng.dll").c_str());
    ASSERT_TRUE(language != NULL);
    ResourceModule = language;
    Register({IDC_SHELLEXT});
    ResourceModule = GetModuleHandleA(NULL);
    FreeLibrary(language);
    ExpectProductEntries("Test: Lumbex Archivierer");
    ExpectText(HKEY_CLASSES_ROOT, "CLSID\\" SHELL_EXTENSION_CLSID, "", "Lumbex");
}

TEST_F(ShellRegistration, AFolderWithoutRoomForTheServerRegistersNoClass)
{
    // 250 characters: the folder itself fits, "\kezext.dll" after it does not.
    folder = FolderOfLength(250);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    Register({IDC_SHELLEXT});
    ExpectNoShellExtension();
    ExpectProductEntries("Lumbex archiver");
}

}  // namespace
