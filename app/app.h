// Process-wide state created at start-up, and the start-up itself.
#ifndef LUMBEX_APP_APP_H
#define LUMBEX_APP_APP_H

#include <windows.h>

extern HINSTANCE OwnInstance;
extern HMODULE ResourceModule;
extern bool ResourceModuleLoaded;   // ResourceModule is kezlng.dll, to be freed
extern DWORD PlatformId;            // 1 = Windows 95 family, 2 = NT family
extern HICON AppIcon;
extern HFONT BoldFont;
extern BYTE SilentMode;

void StartUp(HINSTANCE instance);
// BoldFont becomes the window's own font in bold, so that it scales with the
// display as the window's text does. Released by CleanUp.
void MakeBoldFont(HWND window);
void DispatchCommandTail(const char* tail);
void CleanUp();
// Frees a loaded language module; texts come from the own image afterwards.
void ReleaseLanguageModule();
void ShowRemovalWarning();

#endif
