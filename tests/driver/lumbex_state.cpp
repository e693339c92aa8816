#include "driver/lumbex_state.h"

#include <string.h>

#include "driver/sandbox.h"
#include "registry/registry.h"
#include "resources/process.h"

namespace {

const char* RootName(HKEY root)
{
    return root == HKEY_CLASSES_ROOT ? "HKCR" : root == HKEY_CURRENT_USER ? "HKCU" : "HKLM";
}

// Every key of the footprint but the archive extensions, and the values it
// owns in keys of others (value not NULL).
// In the machine's scope, and in the current user's where setup serves that
// user alone.
template <typename Visit>
void ForEachOwnKey(Visit visitOne)
{
    auto visit = [&](HKEY root, const std::string& key, const char* value) {
        visitOne(root, key, value);
        // The user's product key is visited whole, with all below it.
        if (key.compare(0, strlen(ProductKey), ProductKey) == 0)
            return;
        if (root == HKEY_CLASSES_ROOT)
            visitOne(HKEY_CURRENT_USER, "Software\\Classes\\" + key, value);
        else if (root == HKEY_LOCAL_MACHINE)
            visitOne(HKEY_CURRENT_USER, key, value);
    };
    for (const ProgId& id : ProgIds)
        visit(HKEY_CLASSES_ROOT, id.name, (const char*)NULL);
    for (const std::string& volume : VolumeExtensions())
        visit(HKEY_CLASSES_ROOT, volume, (const char*)NULL);
    for (const ShellExtensionValue& value : ShellExtensionValues)
        if (!value.belowProgId)
            visit(HKEY_CLASSES_ROOT, ShellKey(value), (const char*)NULL);
    for (const RemovedItem& item : RemovedItems)
        visit(RootKey(item.root), item.key, item.removal == DeleteOneValue ? item.value : NULL);
    visit(HKEY_LOCAL_MACHINE, CapabilitiesKey, (const char*)NULL);
    visit(HKEY_LOCAL_MACHINE, RegisteredAppsKey, "Lumbex");
}

}  // namespace

std::vector<std::string> VolumeExtensions()
{
    static std::vector<std::string>* collected;
    std::vector<std::string> volumes;
    collected = &volumes;
    ForEachVolumeExtension([](const char* extension) { collected->push_back(extension); });
    return volumes;
}

std::vector<std::string> ArchiverExtensions()
{
    std::vector<std::string> extensions;
    for (const ArchiveType& type : ArchiveTypeTable)
        extensions.push_back(type.extension);
    for (const std::string& volume : VolumeExtensions())
        extensions.push_back(volume);
    return extensions;
}

std::string ShellKey(const ShellExtensionValue& value)
{
    char key[96];
    return ShellExtensionKey(key, sizeof key, value) ? key : "";
}

std::vector<ShellExtensionValue> ShellHandlers()
{
    std::vector<ShellExtensionValue> handlers;
    for (const ShellExtensionValue& value : ShellExtensionValues)
        if (!value.belowProgId && ShellKey(value).compare(0, 6, "CLSID\\") != 0)
            handlers.push_back(value);
    return handlers;
}

void ResetArchiverRegistry()
{
    for (const ArchiveType& type : ArchiveTypeTable) {
        DeleteTree(HKEY_CLASSES_ROOT, type.extension);
        DeleteTree(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + type.extension);
    }
    ForEachOwnKey([](HKEY root, const std::string& key, const char* value) {
        if (value)
            DeleteValue(root, key, value);
        else
            DeleteTree(root, key);
    });
}

std::vector<std::string> PresentArchiverRegistry()
{
    std::vector<std::string> present;
    ForEachOwnKey([&](HKEY root, const std::string& key, const char* value) {
        if (value ? ValueExists(root, key, value) : KeyExists(root, key))
            present.push_back(std::string(RootName(root)) + "\\" + key +
                              (value ? std::string("\\") + value : ""));
    });
    return present;
}

unsigned HeaderCrc(const std::string& bytes)
{
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return (~crc) & 0xFFFFu;
}

void ArchiverTest::SetUp()
{
    GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
    ResourceModule = GetModuleHandleA(NULL);
    PlatformId = PlatformNt;
    ResetArchiverRegistry();
    folder = MakeSandbox(sandboxName);
    SetCurrentDirectoryA(folder.c_str());
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}

void ArchiverTest::TearDown()
{
    SetCurrentDirectoryA(savedDirectory);
    ResetArchiverRegistry();
    ResourceModule = GetModuleHandleA(NULL);
    PlatformId = PlatformNt;
}

std::vector<RegistryItem> OthersRegistry()
{
    // One digit away from the archiver's class.
    const std::string other = "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B8}";
    const std::string windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    HKEY classes = HKEY_CLASSES_ROOT;
    HKEY machine = HKEY_LOCAL_MACHINE;
    return {
        {classes, "OtherArc.Archive", "", REG_SZ, Sz("OtherArc archive")},
        {classes, "OtherArc.Archive\\DefaultIcon", "", REG_SZ, Sz("C:\\Other\\OtherArc.exe,0")},
        {classes, "OtherArc.Archive\\shell\\open\\command", "", REG_SZ,
         Sz("\"C:\\Other\\OtherArc.exe\" \"%1\"")},
        {classes, ".otherarc", "", REG_SZ, Sz("OtherArc.Archive")},
        {classes, ".otherarc", "Content Type", REG_SZ, Sz("application/x-otherarc")},
        {classes, ".otherarc\\ShellNew", "NullFile", REG_SZ, Sz("")},
        {classes, "CLSID\\" + other, "", REG_SZ, Sz("OtherArc shell extension")},
        {classes, "CLSID\\" + other + "\\InProcServer32", "", REG_SZ, Sz("C:\\Other\\ext.dll")},
        {classes, "*\\shellex\\ContextMenuHandlers\\OtherArc", "", REG_SZ, Sz(other)},
        {classes, "exefile\\shellex\\PropertySheetHandlers\\" + other, "", REG_SZ, Sz("")},
        {classes, "LumbexOther", "", REG_SZ, Sz("Not the archiver")},
        {classes, "Lumbex.ZIPX", "", REG_SZ, Sz("Not the archiver either")},
        {classes, ".k20", "", REG_SZ, Sz("Lumbex")},
        {HKEY_CURRENT_USER, "Software\\LumbexOther\\Setup", "Type", REG_SZ, Sz("kept")},
        {HKEY_CURRENT_USER, "Software\\Lumbex Tools", "Keep", REG_DWORD,
         std::string("\1\0\0\0", 4)},
        {machine, windows + "Uninstall\\OtherArc", "DisplayName", REG_SZ, Sz("OtherArc")},
        {machine, windows + "Uninstall\\OtherArc", "UninstallString", REG_SZ,
         Sz("\"C:\\Other\\uninst.exe\"")},
        {machine, windows + "Uninstall\\Lumbex archiver 2", "UninstallString", REG_SZ,
         Sz("C:\\Other\\Uninstall.exe")},
        {machine, windows + "App Paths\\OtherArc.exe", "", REG_SZ, Sz("C:\\Other\\OtherArc.exe")},
        {machine, windows + "App Paths\\OtherArc.exe", "Path", REG_SZ, Sz("C:\\Other")},
        {machine, windows + "App Paths\\Lumbex2.exe", "", REG_SZ, Sz("C:\\Other\\Lumbex2.exe")},
        {machine, ApprovedKey, other, REG_SZ, Sz("OtherArc shell extension")},
    };
}

void Place(const std::vector<RegistryItem>& items)
{
    for (const RegistryItem& item : items)
        SetRaw(item.root, item.key, item.name, item.type, item.bytes);
}

void Remove(const std::vector<RegistryItem>& items)
{
    for (const RegistryItem& item : items)
        DeleteValue(item.root, item.key, item.name);
    // Deepest keys first, and only those left empty: the shared keys above stay.
    for (auto item = items.rbegin(); item != items.rend(); ++item)
        DeleteEmptyKeys(item->root, item->key);
}

std::vector<std::string> RegistryState(const std::vector<RegistryItem>& items)
{
    std::vector<std::string> state;
    std::vector<std::string> listed;
    for (const RegistryItem& item : items) {
        std::string key = RootName(item.root) + (" " + item.key);
        bool below = false;
        for (const std::string& done : listed)
            below = below || key == done || key.compare(0, done.size() + 1, done + "\\") == 0;
        if (below)
            continue;
        listed.push_back(key);
        for (const std::string& line : RegistryLines(item.root, item.key))
            state.push_back(std::string(RootName(item.root)) + " " + line);
    }
    return state;
}
