#include "process.h"

HINSTANCE OwnInstance;
HMODULE ResourceModule;
bool ResourceModuleLoaded;
DWORD PlatformId;
HICON AppIcon;
HFONT BoldFont;
BYTE SilentMode;

void ReleaseLanguageModule()
{
    if (!ResourceModuleLoaded)
        return;
    FreeLibrary(ResourceModule);
    ResourceModuleLoaded = false;
    ResourceModule = OwnInstance;
}
