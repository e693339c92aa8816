// Uninstall mode.
#ifndef LUMBEX_UNINSTALL_UNINSTALL_H
#define LUMBEX_UNINSTALL_UNINSTALL_H

#include <windows.h>

#include "../resources/list_line.h"

enum UninstallResult {
    UninstallDone,          // all but the executable and its folder is gone
    UninstallAtRestart,     // what programs held goes when the system next starts
    UninstallIncomplete,    // something stays that could be neither removed nor scheduled
    UninstallDeclined,      // the user answered No: nothing changed
    UninstallNotStarted,    // no list file or no install folder: nothing changed
    UninstallRefused,       // a folder that no ANSI call can name, or a registration that
                            // could not be undone: no file deleted
};

// Asks, cleans the registry and the shortcuts, removes the listed files and
// hands over to the removal script, which removes the executable and its
// folder once the process has ended. With SilentMode it asks nothing and
// shows nothing.
UninstallResult RunUninstall();

// Gives the file types back and removes the registration of the selected
// scope, all but the entry in the list of installed programs; every step
// may run again. NULL when all of it went, else the first key that stays.
const char* UndoRegistration();
// That entry, in the scope's roots.
void RemoveUninstallEntry();
// All that setup writes, the shortcuts too: what a failed first setup wrote.
void TakeBackSetup();
bool IsLumbexType(const char* extension);

// Passes over the open list until one removes nothing; installFolder ends
// in a backslash. Only entries that lie strictly inside it, also once links
// are followed, and that are no links themselves, are removed: where the
// system can, each is checked and deleted through one handle. Returns the
// number of passes.
int RemoveListedEntries(ListSource* list, const char* installFolder);
// One entry by the same rules; true when it stands although the rules
// would remove it (in use).
bool RemoveInstalledEntry(const char* installFolder, const char* entry);
// What an entry handle (opened for DELETE, FILE_READ_ATTRIBUTES and
// FILE_WRITE_ATTRIBUTES, not through a link at its end) refers to, by the
// same rules; false when it stays or the system has no deletion by handle.
bool RemoveOpenEntry(const char* installFolder, HANDLE entry);
// Only reparse points that stand for another name are links (symbolic
// links, junctions, mount points); deduplicated or cloud files are not.
bool IsLinkKind(DWORD attributes, DWORD reparseTag);
// Where the system cannot tell where a path leads: whether a folder on the
// way from the install folder to path, or path itself, is a link. path
// begins with installFolder.
bool LinkOnTheWay(const char* installFolder, const char* path);

// Each listed file that still stands and that the rules above would remove
// (not the tool's own), moved through its checked handle into folder as
// "1", "2" and so on; the number moved.
int MoveStandingFiles(ListSource* list, const char* installFolder, const char* folder);
// The executable and its list, wherever listed.
bool IsOwnFile(const char* path);

// Each listed entry that still stands and that the rules above would
// remove, with its full path, from the start of the list.
typedef void (*StandingVisitor)(void* context, const char* path, bool folder);
void VisitStandingEntries(ListSource* list, const char* installFolder, StandingVisitor visit,
                          void* context);

// RemoveListedEntries, then for files left standing because programs hold
// them: unless SilentMode, names them and lets the user try again; then
// schedules what stands for deletion when the system next starts and says
// so. UninstallDone when no listed file stands. Before the language module
// is released, KeepInUseResources copies what the dialog and the messages
// need of it.
void KeepInUseResources();
UninstallResult RemoveAllListed(ListSource* list, const char* installFolder);
// "Uninstall.lst", closed, by the same rules; where it stands, it and the
// folder are scheduled for the next restart. The result of the run so far,
// as that changes it.
UninstallResult RemoveListFile(const char* installFolder, UninstallResult result);

void RemoveLinks();

// What the script's folder and the script are made with: only the token's
// owner (the administrators' group when elevated), the system and the
// administrators have any right, and when the token is elevated a high
// integrity label keeps every writer below that out. Not on the Windows 95
// family, which keeps no access lists.
struct ScriptAccess {
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes;
    DWORD list[96];     // the access list: three entries of at most SECURITY_MAX_SID_SIZE
    union {
        TOKEN_OWNER owner;
        DWORD ownerRoom[32];    // for the owner's SID after it
    };
};
bool MakeScriptAccess(ScriptAccess* access);
// A folder of a name that did not exist ("Lumbex-" and eight digits) made in
// base (ending in a backslash) with that access (none: NULL), its path in
// made (MAX_PATH bytes).
bool MakeOwnFolder(const char* base, SECURITY_ATTRIBUTES* security, char* made);

// Writes "Uninstall.Kez.Bat" for the executable and the current directory
// into a folder made for it in the temporary folder, both made with the
// access above; false when no whole script could be written (nothing is
// left then). With SilentMode the warning run that it starts when the
// executable survives shows nothing.
bool WriteRemovalScript(const char* executablePath);
// Starts the script hidden; it removes itself and its folder at its end.
// Returns false, with both removed, when the interpreter could not be started.
bool StartRemovalScript();
// The executable is still there ("/warning", or no script): it and its
// folder are scheduled for removal at restart, and without SilentMode the
// user learns so, or which file to delete. False when nothing was scheduled.
bool ShowRemovalWarning();

#endif
