#include "app.h"

#include "../registry/registry.h"
#include "../resources/path_forms.h"
#include "../resources/text.h"
#include "../setup/setup.h"
#include "../uninstall/uninstall.h"
#include "switches.h"

// Own resources unless a language module sits beside the executable.
static void SelectResourceModule(HINSTANCE instance)
{
    ResourceModuleLoaded = true;
    char path[MAX_PATH];
    HMODULE module = NULL;
    if (OwnExecutablePath(path, sizeof path)) {
        char* name = FileNamePart(path);
        if (TextCopy(name, sizeof path - (size_t)(name - path), "kezlng.dll"))
            module = LoadLibraryA(path);
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

void MakeBoldFont(HWND window)
{
    HFONT font = (HFONT)SendMessageA(window, WM_GETFONT, 0, 0);
    LOGFONTA bold;
    if (!font || GetObjectA(font, sizeof bold, &bold) != sizeof bold)
        return;
    bold.lfWeight = FW_BOLD;
    HFONT made = CreateFontIndirectA(&bold);
    if (!made)
        return;
    if (BoldFont)
        DeleteObject(BoldFont);
    BoldFont = made;
}

int DispatchCommandTail(const char* tail)
{
    CommandChoice choice = ParseCommandTail(tail);
    if (choice.silent)
        SilentMode = 1;
    switch (choice.mode) {
    case ModeUninstall:
        return RunUninstall();
    case ModeSetup:
        return RunSetupMode();
    case ModeWait:
        Sleep(2000);
        break;
    case ModeWarning:
        ShowRemovalWarning();
        break;
    case ModeNothing:
        break;
    }
    return ExitDone;
}

void ReleaseLanguageModule()
{
    if (!ResourceModuleLoaded)
        return;
    FreeLibrary(ResourceModule);
    ResourceModuleLoaded = false;
    ResourceModule = OwnInstance;
}

void CleanUp()
{
    if (BoldFont)
        DeleteObject(BoldFont);
    BoldFont = NULL;
    ReleaseLanguageModule();
}
