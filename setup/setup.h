// Setup mode: the options dialog and the three actions it runs on OK, then
// the completion dialog.
#ifndef LUMBEX_SETUP_SETUP_H
#define LUMBEX_SETUP_SETUP_H

#include <windows.h>

// Set once setup writes where no setup had: a failed run then takes back
// what it wrote.
extern bool FirstSetup;

// Opens the options dialog from ResourceModule (a dialog that a language
// module lacks from the own image); returns the exit code when setup has
// ended: ExitDone, ExitDeclined after cancel, ExitFailed when it could not
// start or could not do all of its work.
int RunSetupMode();

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// A dialog manager may show a dialog that ended while it was being made;
// with SilentMode no window shows at any moment (WM_WINDOWPOSCHANGING).
void KeepHiddenWhenSilent(LPARAM windowPosition);

// Stores the states of the boxes from firstBox to lastBox as the choices
// they stand for.
void StoreChoices(HWND dialog, int firstBox, int lastBox);

// The actions read the check boxes of the still-open options dialog. The
// first two return false when a write failed: the file types (one whose
// previous type could not be given back as it was is left alone, and is no
// failure), or the entry in the list of installed programs (written under
// the selected root).
bool WriteAssociations(HWND dialog);
bool WriteShellRegistration(HWND dialog);
void CreateLinks(HWND dialog);
bool WriteUninstallEntry();

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

// Makes the tool's own folder the current directory, the install folder of
// setup mode. 0 when it holds the archiver; else the id of the text that
// says why not, with the folder in shown.
int EnterInstallFolder(char* shown, size_t cap);
// The install folder and a file in it. Both return false, leaving nothing
// usable, when the path does not fit cap bytes.
bool GetInstallFolder(char* path, size_t cap);
bool InstallFilePath(char* path, size_t cap, const char* name);

// The per-user program group that CreateLinks made; empty when none.
extern char ProgramGroupPath[MAX_PATH];

#endif
