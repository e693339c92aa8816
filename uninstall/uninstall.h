// Uninstall mode.
#ifndef LUMBEX_UNINSTALL_UNINSTALL_H
#define LUMBEX_UNINSTALL_UNINSTALL_H

#include <windows.h>

#include "../resources/list_line.h"

enum UninstallResult {
    UninstallDone,          // all but the executable and its folder is gone
    UninstallDeclined,      // the user answered No: nothing changed
    UninstallNotStarted,    // no list file or no install folder: nothing changed
    UninstallRefused,       // a folder that no ANSI call can name: nothing changed
};

// Asks, cleans the registry and the shortcuts, removes the listed files and
// hands over to the removal script (which ends the process). Returns only
// when it stopped early or no script could be started. With SilentMode it
// asks nothing and shows nothing.
UninstallResult RunUninstall();

// Registry clean-up; RestoreAssociations reads what RemoveRegistration deletes.
void RestoreAssociations();
void RemoveRegistration();
bool IsLumbexType(const char* extension);

// Passes over the open list until one removes nothing; installFolder ends
// in a backslash. Only entries that lie strictly inside it, also once links
// are followed, and that are no links themselves, are removed. Returns the
// number of passes.
int RemoveListedEntries(ListSource* list, const char* installFolder);
// One entry by the same rules.
void RemoveInstalledEntry(const char* installFolder, const char* entry);
// Where the system cannot tell where a path leads: whether a folder on the
// way from the install folder to path, or path itself, is a link. path
// begins with installFolder.
bool LinkOnTheWay(const char* installFolder, const char* path);

void RemoveLinks();

// Writes "Uninstall.Kez.Bat" for the executable and the current directory
// into a folder made for it in the temporary folder, which only the tool's
// own account, the system and the administrators may change; false when no
// whole script could be written (nothing is left then). With SilentMode the
// script shows no warning when the executable survives.
bool WriteRemovalScript(const char* executablePath);
// Starts the script hidden and ends the process; the script removes itself
// and its folder at its end. Returns false, with both removed, when the
// interpreter could not be started.
bool StartRemovalScript();
// Tells the user that the executable is still there ("/warning").
void ShowRemovalWarning();

#endif
