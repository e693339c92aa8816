// Setup mode: the options dialog and the three actions it runs on OK, then
// the completion dialog.
#ifndef LUMBEX_SETUP_SETUP_H
#define LUMBEX_SETUP_SETUP_H

#include <windows.h>

// Opens the options dialog from ResourceModule; returns when setup has ended.
void RunSetupMode();

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The actions read the check boxes of the still-open options dialog.
void WriteAssociations(HWND dialog);
void WriteShellRegistration(HWND dialog);
void CreateLinks(HWND dialog);

HRESULT CreateShortcut(const char* target, const char* linkPath, const char* description);
// Starts a command line as a process of its own; 1 when it started.
int RunCommand(const char* commandLine);

// The install folder is the current directory in setup mode. Both return
// false, leaving nothing usable, when the path does not fit cap bytes.
bool GetInstallFolder(char* path, size_t cap);
bool InstallFilePath(char* path, size_t cap, const char* name);

// The per-user program group that CreateLinks made; empty when none.
extern char ProgramGroupPath[MAX_PATH];

#endif
