// The paths that the tool hands to the ANSI functions of the system and to
// the command interpreter. The system keeps names in Unicode; a name whose
// letters the code page cannot hold exactly would come back with look-alike
// or "?" letters and name another file or none, so it is taken in its short
// form instead, and not at all when it has none.
#ifndef LUMBEX_RESOURCES_PATH_FORMS_H
#define LUMBEX_RESOURCES_PATH_FORMS_H

#include <windows.h>

#include <shlobj.h>

// The path in the ANSI code page: exactly, else its short form. False when
// it has neither or the result does not fit cap bytes.
bool AnsiPathOf(const WCHAR* path, char* out, size_t cap);
// An ANSI path in the OEM code page, the one the command interpreter reads
// scripts in: exactly, else its short form; false when it has neither.
bool OemPathOf(const char* path, char* out, size_t cap);

// A path of the NT family for the interpreter's command line, where a "%"
// is expanded even inside quotation marks and cannot be escaped: as it
// stands when it holds none, else its short form; false when that holds
// one too.
bool CommandLinePathOf(const char* path, char* out, size_t cap);

// The system's paths in the form above; false when they have none.
bool OwnExecutablePath(char* out, size_t cap);
bool CurrentFolderPath(char* out, size_t cap);
bool TempFolderPath(char* out, size_t cap);     // ends in a backslash
bool ItemIdListPath(LPCITEMIDLIST items, char* out, size_t cap);

// A file in the system folder by its full path, so that no search finds a
// planted copy first; false when it does not fit.
bool SystemFilePath(char* out, size_t cap, const char* name);
// A library of the system folder that the tool loads when it needs it.
HMODULE LoadSystemLibrary(const char* name);

// For messages only: the path as the ANSI functions give it, look-alike
// letters and all.
void ShownExecutableFolder(char* out, size_t cap);

#endif
