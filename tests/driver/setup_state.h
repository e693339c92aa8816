// What setup mode leaves behind, for tests and the demo: the product's
// stand-in files, the registry values and shortcuts, and a way back to a
// machine on which setup never ran.
#ifndef LUMBEX_TESTS_SETUP_STATE_H
#define LUMBEX_TESTS_SETUP_STATE_H

#include <windows.h>

#include <string>
#include <vector>

#include "driver/installed_state.h"

// Copies the stand-ins (Lumbex.exe, kezext.dll, license.txt, register.frm)
// from the fixtures folder into an install folder.
bool PlaceProduct(const std::string& folder);
// What the stand-in archiver (or a copy under another name) recorded: one
// command line per start.
std::vector<std::string> RecordedCommandLines(const std::string& executable);

// Removes every registry key, value and shortcut that setup mode writes.
void ForgetSetup();

struct Shortcut {
    bool found;
    std::string target;
    std::string description;
    std::string arguments;
};
Shortcut ReadShortcut(const std::string& linkPath);
// The shortcut is there, leads to target, is described "Lumbex" and passes
// no arguments.
// Nothing of an installation in folder is left: the folder, the uninstall
// entry, the file types, the stored choices and the program group.
void ExpectProductGone(const std::string& folder);
void ExpectLink(const std::string& link, const std::string& target);
// The program group's three shortcuts in group, to the files in folder.
void ExpectGroup(const std::string& group, const std::string& folder);

// A process of the system's viewers (notepad, write) runs.
bool ViewerRuns();

// Closing the completion dialog opens the program group in a shell window
// of a process that starts in the install folder: expects it, and closes it
// to its end, so that no such process stays behind holding the folder.
void ExpectGroupWindowAndClose();

// Closes the shell windows that opening a folder leaves behind; returns how
// many there were.
int CloseFolderWindows(const std::string& caption);

#endif
