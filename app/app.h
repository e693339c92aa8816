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

// Exit codes as installers and deployment tools read them (those of
// Windows Installer).
const int ExitDone = 0;
const int ExitDeclined = 1602;  // the user answered No; nothing was changed
const int ExitFailed = 1603;    // could not run; nothing was changed

void StartUp(HINSTANCE instance);
// BoldFont becomes the window's own font in bold, so that it scales with the
// display as the window's text does. Released by CleanUp.
void MakeBoldFont(HWND window);
// Runs the one mode that the tail selects; returns the exit code.
int DispatchCommandTail(const char* tail);
void CleanUp();
// Frees a loaded language module; texts come from the own image afterwards.
void ReleaseLanguageModule();

#endif
