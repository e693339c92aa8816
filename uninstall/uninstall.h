// Uninstall mode.
#ifndef LUMBEX_UNINSTALL_UNINSTALL_H
#define LUMBEX_UNINSTALL_UNINSTALL_H

#include <windows.h>

// Asks, cleans the registry and the shortcuts, removes the listed files and
// hands over to the removal script (which ends the process). Returns only
// when it stopped early.
void RunUninstall();

// Registry clean-up; RestoreAssociations reads what RemoveRegistration deletes.
void RestoreAssociations();
void RemoveRegistration();
bool IsLumbexType(const char* extension);

void RemoveLinks();

bool WriteRemovalScript(const char* executablePath);
void StartRemovalScript();

#endif
