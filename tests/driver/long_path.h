// Files and folders whose full path may pass the 259 bytes of the ANSI
// functions: reached through the platform's "\\?\" form.
#ifndef LUMBEX_TESTS_LONG_PATH_H
#define LUMBEX_TESTS_LONG_PATH_H

#include <string>
#include <vector>

bool MakeFolderLong(const std::string& path);
bool WriteLong(const std::string& path, const std::string& bytes);
bool ExistsLong(const std::string& path);
bool IsFileLong(const std::string& path);
// Removes a tree of any depth, read-only entries included; true when gone.
bool RemoveTreeLong(const std::string& path);

// Every file and folder below path, sorted, one per line: the path relative
// to path, then "<dir>" or the size and the last write time, and the
// attributes in hex. Empty when path does not exist.
std::vector<std::string> TreeLines(const std::string& path);
// Only the entries directly in path, in the same form.
std::vector<std::string> FolderLines(const std::string& path);

#endif
