#include "app.h"

HINSTANCE OwnInstance;
HMODULE ResourceModule;
bool ResourceModuleLoaded;
DWORD PlatformId;
HICON AppIcon;
HFONT BoldFont;
BYTE SilentMode;
