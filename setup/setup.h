// Setup mode: the options dialog and the three actions it runs on OK, then
// the completion dialog.
#ifndef LUMBEX_SETUP_SETUP_H
#define LUMBEX_SETUP_SETUP_H

#include <windows.h>

// Opens the options dialog from ResourceModule; returns the exit code when
// setup has ended.
int RunSetupMode();

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Stores the states of the boxes from firstBox to lastBox as the choices
// they stand for.
void StoreChoices(HWND dialog, int firstBox, int lastBox);

// The actions read the check boxes of the still-open options dialog.
// False when a file type could not be written; a type whose previous one
// could not be given back as it was is left alone, and is no failure.
bool WriteAssociations(HWND dialog);
void WriteShellRegistration(HWND dialog);
void CreateLinks(HWND dialog);
// The entry in the list of installed programs, under the selected root.
void WriteUninstallEntry();

// The archiver's home page.
extern const char HomePage[];

// Saves a shell link at linkPath; true when it was saved.
bool CreateShortcut(const char* target, const char* linkPath, const char* description);
// Starts a command line as a process of its own in directory (NULL: this
// process's current directory); true when it started.
bool RunCommand(const char* commandLine, const char* directory);
// A folder for what setup starts to show a document in: never the install
// folder, which it would hold as long as it runs.
bool ViewerFolder(char* path, size_t cap);
// The help file in the help engine, started outside the install folder.
void ShowHelp(HWND dialog, UINT command, ULONG_PTR data);

// The install folder is the current directory in setup mode. Both return
// false, leaving nothing usable, when the path does not fit cap bytes.
bool GetInstallFolder(char* path, size_t cap);
bool InstallFilePath(char* path, size_t cap, const char* name);

// The per-user program group that CreateLinks made; empty when none.
extern char ProgramGroupPath[MAX_PATH];

#endif
