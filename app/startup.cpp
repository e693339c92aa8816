#include "app.h"

#include "../registry/registry.h"
#include "../resources/process.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "../setup/setup.h"
#include "../uninstall/uninstall.h"
#include "switches.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif
#ifndef LOAD_LIBRARY_AS_IMAGE_RESOURCE
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#endif

typedef BOOL(WINAPI* DefaultDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* DllDirectoryFunction)(LPCSTR);

// The uninstaller may run elevated or as the system account, and an install
// folder outside the system's program folders is often writable by every
// user: libraries that the system loads on demand come from the system
// folder only, never from the tool's folder or the current one. Looked up
// here, since older systems lack both calls.
static void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    DefaultDirectoriesFunction defaultDirectories =
        (DefaultDirectoriesFunction)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (defaultDirectories)
        defaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    DllDirectoryFunction dllDirectory =
        (DllDirectoryFunction)(void*)GetProcAddress(kernel, "SetDllDirectoryA");
    if (dllDirectory)
        dllDirectory("");
}

// Mapped for its resources only, so that no code of it ever runs.
static HMODULE LoadLanguageModule(const char* path)
{
    HMODULE module =
        LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// Own resources unless a language module sits beside the executable.
static void SelectResourceModule(HINSTANCE instance)
{
    ResourceModuleLoaded = true;
    char path[MAX_PATH];
    HMODULE module = NULL;
    if (OwnExecutablePath(path, sizeof path)) {
        char* name = FileNamePart(path);
        if (TextCopy(name, sizeof path - (size_t)(name - path), "kezlng.dll"))
            module = LoadLanguageModule(path);
    }
    if (module) {
        ResourceModule = module;
    } else {
        ResourceModuleLoaded = false;
        ResourceModule = instance;
    }
}

// Every path routine steps by characters of the ANSI code page.
static void ReadCodePage()
{
    CPINFO info;
    unsigned char ranges[MAX_LEADBYTES + 2] = {};
    if (GetCPInfo(CP_ACP, &info))
        for (int i = 0; i < MAX_LEADBYTES; i++)
            ranges[i] = info.LeadByte[i];
    SetLeadByteRanges(ranges);
}

void StartUp(HINSTANCE instance)
{
    RestrictLibrarySearch();
    OwnInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    PlatformId = version.dwPlatformId;
    ReadCodePage();

    SelectResourceModule(instance);
    AppIcon = LoadIconA(ResourceModule, "KEZICON");
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}

// The uninstall switch tells how the run went; the run without a switch,
// which the list of removable programs has always started, ends with 0
// unless it refused a folder that it cannot name.
static int UninstallExitCode(UninstallResult result, bool bySwitch)
{
    switch (result) {
    case UninstallDone:
        return ExitDone;
    case UninstallAtRestart:
        return bySwitch ? ExitRestartNeeded : ExitDone;
    case UninstallIncomplete:
        return bySwitch ? ExitFailed : ExitDone;
    case UninstallDeclined:
        return bySwitch ? ExitDeclined : ExitDone;
    case UninstallNotStarted:
        return bySwitch ? ExitFailed : ExitDone;
    case UninstallRefused:
        return ExitFailed;
    }
    return ExitFailed;
}

// The removal script starts these runs in its own folder: a process's
// current folder cannot be removed, so they leave it at once.
static void LeaveCurrentFolder()
{
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length > 0 && length < sizeof system)
        SetCurrentDirectoryA(system);
}

int DispatchCommandTail(const char* tail)
{
    CommandChoice choice = ParseCommandTail(tail);
    if (choice.silent)
        SilentMode = 1;
    switch (choice.mode) {
    case ModeUninstall:
        return UninstallExitCode(RunUninstall(), false);
    case ModeUninstallSwitch:
        return UninstallExitCode(RunUninstall(), true);
    case ModeSetup: {
        int code = RunSetupMode();
        if (code == ExitFailed && FirstSetup)
            TakeBackSetup();
        return code;
    }
    case ModeWait:
        LeaveCurrentFolder();
        Sleep(2000);
        break;
    case ModeWarning:
        LeaveCurrentFolder();
        ShowRemovalWarning();
        break;
    case ModeInvalid:
        ShowError(IDS_SETUP_TITLE, IDS_BAD_COMMAND_LINE, tail);
        return ExitBadCommandLine;
    }
    return ExitDone;
}

void CleanUp()
{
    if (BoldFont)
        DeleteObject(BoldFont);
    BoldFont = NULL;
    ReleaseLanguageModule();
}
