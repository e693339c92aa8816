#include "driver/setup_dialog.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/setup.h"
#include "setup_fixture.h"

namespace {

const std::string Class = "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B7}";
const std::string Windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string Uninstall = Windows + "Uninstall\\Lumbex archiver";
const std::string AppPath = Windows + "App Paths\\Lumbex.exe";
const std::string Approved = Windows + "Shell Extensions\\Approved";

struct Value {
    std::string key;
    std::string name;
    std::string data;
};

// Every shell-extension value, with the server in the given folder.
std::vector<Value> ShellExtensionValues(const std::string& folder)
{
    return {
        {"CLSID\\" + Class, "", "Lumbex"},
        {"CLSID\\" + Class + "\\InProcServer32", "", folder + "\\kezext.dll"},
        {"CLSID\\" + Class + "\\InProcServer32", "ThreadingModel", "Apartment"},
        {"Lumbex\\shellex\\ContextMenuHandlers\\" + Class, "", ""},
        {"Lumbex\\shellex\\PropertySheetHandlers\\" + Class, "", ""},
        {"Lumbex.ZIP\\shellex\\ContextMenuHandlers\\" + Class, "", ""},
        {"Lumbex.ZIP\\shellex\\PropertySheetHandlers\\" + Class, "", ""},
        {"exefile\\shellex\\PropertySheetHandlers\\" + Class, "", ""},
        {"Lumbex\\shellex\\DropHandler", "", Class},
        {"Lumbex.ZIP\\shellex\\DropHandler", "", Class},
        {"*\\shellex\\ContextMenuHandlers\\Lumbex", "", Class},
        {"Folder\\shellex\\ContextMenuHandlers\\Lumbex", "", Class},
        {"Folder\\shellex\\DragDropHandlers\\Lumbex", "", Class},
        {"Drives\\shellex\\ContextMenuHandlers\\Lumbex", "", Class},
    };
}

class ShellRegistration : public SetupFixture {
protected:
    void Register(std::initializer_list<int> ticked)
    {
        HWND dialog = OpenOptionsDialog(ticked);
        ASSERT_TRUE(dialog != NULL);
        WriteShellRegistration(dialog);
        CloseOptionsDialog(dialog);
        EXPECT_EQ(HKEY_CLASSES_ROOT, GetRegistryRoot());
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
    // The five entries: the executable's own folder for the uninstall command
    // and the archiver's path, the current directory for "Path".
    void ExpectProductEntries(const std::string& displayName)
    {
        ExpectText(HKEY_LOCAL_MACHINE, Uninstall, "DisplayName", displayName);
        ExpectText(HKEY_LOCAL_MACHINE, Uninstall, "UninstallString", "\"" + OwnPath() + "\"");
        ExpectText(HKEY_LOCAL_MACHINE, AppPath, "", OwnFolder() + "\\Lumbex.exe");
        ExpectText(HKEY_LOCAL_MACHINE, AppPath, "Path", folder);
        ExpectText(HKEY_LOCAL_MACHINE, Approved, Class, "Lumbex shell extension");
    }
};

TEST_F(ShellRegistration, IntegrationWritesTheFourteenClassValuesAndTheProductEntries)
{
    ASSERT_NE(OwnFolder(), folder);
    SetRegistryRoot(HKEY_CURRENT_USER);     // whatever the previous action left
    Register({IDC_SHELLEXT});
    for (const Value& value : ShellExtensionValues(folder))
        ExpectText(HKEY_CLASSES_ROOT, value.key, value.name, value.data);
    ExpectProductEntries("Lumbex archiver");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "CLSID\\" + Class));

    // A second run writes the same again.
    Register({IDC_SHELLEXT});
    for (const Value& value : ShellExtensionValues(folder))
        ExpectText(HKEY_CLASSES_ROOT, value.key, value.name, value.data);
    ExpectProductEntries("Lumbex archiver");
}

TEST_F(ShellRegistration, WithoutIntegrationOnlyTheProductIsRegistered)
{
    Register({IDC_KEZ, IDC_PROGRAMS});
    for (const Value& value : ShellExtensionValues(folder))
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, value.key)) << value.key;
    ExpectProductEntries("Lumbex archiver");
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
    ExpectText(HKEY_CLASSES_ROOT, "CLSID\\" + Class, "", "Lumbex");
}

TEST_F(ShellRegistration, AFolderWithoutRoomForTheServerRegistersNoClass)
{
    // 250 characters: the folder itself fits, "\kezext.dll" after it does not.
    folder = FolderOfLength(250);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    Register({IDC_SHELLEXT});
    for (const Value& value : ShellExtensionValues(folder))
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, value.key)) << value.key;
    ExpectProductEntries("Lumbex archiver");
}

}  // namespace
