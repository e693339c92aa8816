// Process-wide state, set at start-up and read everywhere below the entry
// point, and the results that end a run.
#ifndef LUMBEX_RESOURCES_PROCESS_H
#define LUMBEX_RESOURCES_PROCESS_H

#include <windows.h>

extern HINSTANCE OwnInstance;
extern HMODULE ResourceModule;
extern bool ResourceModuleLoaded;   // ResourceModule is kezlng.dll, to be freed
extern DWORD PlatformId;            // one of the two below, or 0 when unknown
extern HICON AppIcon;
extern HFONT BoldFont;
extern BYTE SilentMode;

const DWORD PlatformWindows95 = VER_PLATFORM_WIN32_WINDOWS;    // 95, 98, Me
const DWORD PlatformNt = VER_PLATFORM_WIN32_NT;

// Exit codes as installers and deployment tools read them (those of
// Windows Installer).
const int ExitDone = 0;
const int ExitDeclined = 1602;  // the user answered No or cancelled; nothing was changed
const int ExitRestartNeeded = 3010; // done once the system restarts
const int ExitFailed = 1603;    // could not run, or could not do all of the work
const int ExitBadCommandLine = 1639;    // a tail of no accepted form; nothing was run

// Counts each change to the machine: a registry value or key written or
// deleted, a file or folder deleted or scheduled for deletion, a shortcut or
// folder made, the removal script written. A test build ends the run, as a
// kill would, right after the change that LUMBEX_STOP_AFTER numbers; the
// shipped build has no such way.
const UINT StoppedAfterChange = 7474;   // the test build's exit code then
#ifdef LUMBEX_STOPS
void Changed();
#else
inline void Changed() {}
#endif

// Frees a loaded language module; texts come from the own image afterwards.
void ReleaseLanguageModule();

#endif
