#include "driver/lumbex_state.h"

#include <windows.h>

#include "resources/process.h"
#include "driver/sandbox.h"
#include "registry/registry.h"

std::vector<std::string> ArchiverExtensions()
{
    std::vector<std::string> extensions = {".kez", ".zip", ".cab", ".arj", ".lzh"};
    for (int n = 0; n < 20; n++) {
        char volume[8];
        wsprintfA(volume, ".k%02d", n);
        extensions.push_back(volume);
    }
    return extensions;
}

void ResetArchiverRegistry()
{
    const char* clsid = "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B7}";
    DeleteTree(HKEY_CURRENT_USER, "Software\\Lumbex");
    for (const std::string& extension : ArchiverExtensions())
        DeleteTree(HKEY_CLASSES_ROOT, extension);
    for (const char* key : {"Lumbex", "Lumbex.ZIP", "*\\shellex\\ContextMenuHandlers\\Lumbex",
                            "Folder\\shellex\\ContextMenuHandlers\\Lumbex",
                            "Folder\\shellex\\DragDropHandlers\\Lumbex",
                            "Drives\\shellex\\ContextMenuHandlers\\Lumbex"})
        DeleteTree(HKEY_CLASSES_ROOT, key);
    DeleteTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + clsid);
    DeleteTree(HKEY_CLASSES_ROOT, std::string("exefile\\shellex\\PropertySheetHandlers\\") + clsid);
    const std::string windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    DeleteTree(HKEY_LOCAL_MACHINE, windows + "Uninstall\\Lumbex archiver");
    DeleteTree(HKEY_LOCAL_MACHINE, windows + "App Paths\\Lumbex.exe");
    DeleteTree(HKEY_LOCAL_MACHINE, windows + "App Paths\\Lumbex95.exe");
    DeleteValue(HKEY_LOCAL_MACHINE, windows + "Shell Extensions\\Approved", clsid);
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
    PlatformId = VER_PLATFORM_WIN32_NT;
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
    PlatformId = VER_PLATFORM_WIN32_NT;
}
