// The whole machine as a round trip compares it: every key and value below
// HKEY_LOCAL_MACHINE (64-bit view: the 32-bit keys appear under Wow6432Node)
// and HKEY_USERS, and every folder and file of drive C: (64-bit view of the
// system folder), then the lines that tell two such snapshots apart.
#ifndef LUMBEX_TESTS_SNAPSHOT_H
#define LUMBEX_TESTS_SNAPSHOT_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct SnapshotEntry {
    enum Kind { Key, Value, Folder, File } kind;
    std::string path;       // "HKLM\...", "HKU\..." or "C:\..."
    std::string name;       // a value's name; "" for the default value
    DWORD type;             // a value's type; the kept attributes of a folder or file
    std::string data;       // a value's bytes; a file's size and content hash; a link's target
};

// Ordered by path; a key's values come right after the key.
using Snapshot = std::map<std::string, SnapshotEntry>;

// Kept out of every snapshot, with everything below it: platform noise.
struct SnapshotExclusion {
    const char* path;       // a key, a value (key path, backslash, name), a folder or a file
    const char* reason;
};
extern const std::vector<SnapshotExclusion> SnapshotExclusions;

struct SnapshotCount {
    size_t keys, values, folders, files;
    unsigned long long bytes;       // file contents read
    DWORD registryMs, filesMs;
    std::string problem;            // empty when the registry was read whole
};

// The registry as it saves itself (fast: one call per tree) and drive C:.
// Volatile keys are never saved, so they are never compared: Wine rebuilds
// them at every start (HKLM\Hardware, the session's temporary settings).
Snapshot TakeSnapshot(SnapshotCount* count = nullptr);

// One registry tree (rootName "HKLM", "HKU" or any label): as it saves
// itself, which TakeSnapshot uses, or key by key through the enumeration
// functions, slower but with the volatile keys, to check the first.
Snapshot SavedRegistry(HKEY root, const std::string& rootName);
Snapshot ListedRegistry(HKEY root, const std::string& rootName);

// "+ key HKLM\...", "- value HKLM\... "name" = REG_SZ "..."", "~ file C:\...:
// old -> new", in path order.
std::vector<std::string> SnapshotDifference(const Snapshot& before, const Snapshot& after);

#endif
