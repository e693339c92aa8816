// What an installation looks like to the uninstaller: the registry entries
// and shortcuts that setup mode leaves, placed by hand, read back and reset.
#ifndef LUMBEX_TESTS_INSTALLED_STATE_H
#define LUMBEX_TESTS_INSTALLED_STATE_H

#include <windows.h>

#include <string>
#include <vector>

// The title of the uninstaller's question and messages.
const char* const UninstallCaption = "Uninstall Lumbex";

// A shell folder's path without a trailing backslash; empty if none.
std::string ShellFolderPath(int csidl);

// "Lumbex.lnk" on the desktop and in the Start menu, and the "Lumbex" program
// group with its three shortcuts under the per-user and the common Programs
// folder. The link files are stand-ins: the uninstaller goes by their names.
void PlaceLinkStandIns();
// Which of the four exist: "desktop", "start menu", "group", "common group".
std::vector<std::string> PresentLinks();
void RemoveLinkStandIns();

// The entries that setup mode writes with ".kez" ticked and shell integration
// on, for the archiver in folder; ".kez" was "OldKez.Document"
// ("application/x-oldkez") before.
void PlaceSetupRegistry(const std::string& folder);
// Of those, what shell integration and the product's registration write.
void PlaceShellRegistration(const std::string& folder);

#endif
