// The install folder in uninstall mode and the paths formed inside it. Free
// of <windows.h>, so that it builds natively as well (fuzzers).
#ifndef LUMBEX_UNINSTALL_FOLDER_PATH_H
#define LUMBEX_UNINSTALL_FOLDER_PATH_H

#include <stddef.h>

// The folder of an executable path, without a trailing backslash except at a
// drive root ("C:\"). False when the path has no backslash or the folder does
// not fit.
bool InstallFolderOf(const char* executablePath, char* folder, size_t cap);

// folder (ending in a backslash) followed by a list entry; false when the
// whole path does not fit.
bool JoinEntryPath(char* path, size_t cap, const char* folder, const char* entry);

#endif
