// Uninstall mode.
#ifndef LUMBEX_UNINSTALL_UNINSTALL_H
#define LUMBEX_UNINSTALL_UNINSTALL_H

#include <windows.h>

#include <stdio.h>

// Asks, cleans the registry and the shortcuts, removes the listed files and
// hands over to the removal script (which ends the process). Returns only
// when it stopped early.
void RunUninstall();

// Registry clean-up; RestoreAssociations reads what RemoveRegistration deletes.
void RestoreAssociations();
void RemoveRegistration();
bool IsLumbexType(const char* extension);

// Passes over the open list until one removes nothing; installFolder ends
// in a backslash. Only entries that resolve to a path strictly inside it
// are removed. Returns the number of passes.
int RemoveListedEntries(FILE* list, const char* installFolder);

void RemoveLinks();

// Writes "Uninstall.Kez.Bat" into the temporary folder for the executable
// and the current directory; false when no whole script could be written.
bool WriteRemovalScript(const char* executablePath);
// Starts the script hidden and ends the process.
void StartRemovalScript();

#endif
