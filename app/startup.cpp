#include "app.h"

#include "../registry/registry.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "../setup/setup.h"
#include "../uninstall/uninstall.h"
#include "switches.h"

// Own resources unless a language module sits beside the executable.
static void SelectResourceModule(HINSTANCE instance)
{
    ResourceModuleLoaded = true;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    HMODULE module = NULL;
    if (length > 0 && length < sizeof path) {
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

void StartUp(HINSTANCE instance)
{
    SelectResourceModule(instance);

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    PlatformId = version.dwPlatformId;

    OwnInstance = instance;
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

void ShowRemovalWarning()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    path[length < sizeof path ? length : sizeof path - 1] = 0;

    // Only shown, never acted on: a cut message is acceptable.
    char text[512];
    TextFormat(text, sizeof text, "%s\n", LoadText(IDS_UNINSTALL_DONE));
    size_t used = 0;
    while (text[used])
        used++;
    TextFormatOne(text + used, sizeof text - used, LoadText(IDS_DELETE_MANUALLY), path);
    MessageBoxA(NULL, text, LoadText(IDS_UNINSTALL_TITLE), MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void DispatchCommandTail(const char* tail)
{
    CommandChoice choice = ParseCommandTail(tail);
    if (choice.silent)
        SilentMode = 1;
    switch (choice.mode) {
    case ModeUninstall:
        RunUninstall();
        break;
    case ModeSetup:
        RunSetupMode();
        break;
    case ModeWait:
        Sleep(2000);
        break;
    case ModeWarning:
        ShowRemovalWarning();
        break;
    case ModeNothing:
        break;
    }
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
