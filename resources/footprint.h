// Everything the product owns in the registry, in one place: the keys and
// values that setup writes, what uninstall removes and how, the settings
// that setup keeps. Setup writes from these tables and uninstall removes by
// them. Roots are named rather than given as handles, so that the tables
// stay constant data.
#ifndef LUMBEX_RESOURCES_FOOTPRINT_H
#define LUMBEX_RESOURCES_FOOTPRINT_H

#include <windows.h>

// Class of the archiver's shell extension "kezext.dll".
#define SHELL_EXTENSION_CLSID "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B7}"

// The scope of a run: all users, or the current user alone, where setup may
// not write machine-wide. In the user's scope UserClasses is the user's own
// Software\Classes, open for the run; the machine's roots stand for the
// user's (the classes root for UserClasses, HKEY_LOCAL_MACHINE for
// HKEY_CURRENT_USER) wherever a root is named. In the machine's scope the
// classes root stands for HKEY_LOCAL_MACHINE\Software\Classes itself.
extern HKEY UserClasses;
HKEY ScopedRoot(HKEY root);
enum FootprintRoot { ClassesRoot, LocalMachine, CurrentUser };
HKEY RootKey(FootprintRoot root);

// HKEY_CURRENT_USER: the product's key, and below it the settings: the
// stored choices, per extension among them.
extern const char ProductKey[];
extern const char SettingsKey[];
bool ExtensionSettingsKey(char* key, size_t cap, const char* extension);

// What an extension meant before setup took it over ("Type", "Content",
// a "ShellNew" kept aside), in the extension's settings key under this
// root: the scope of the associations it gives back, so that whichever
// account uninstalls finds it. Every account may read it there, only
// administrators write it. Earlier versions kept it under
// HKEY_CURRENT_USER, where uninstall still looks.
const FootprintRoot SavedTypesRoot = LocalMachine;
// The root whose record for the extension holds a "Type": the own one
// first, then the earlier one; NULL when neither certainly holds one.
HKEY SavedRecordRoot(const char* extension);

// HKEY_LOCAL_MACHINE
extern const char UninstallEntryKey[];
extern const char AppPathKey[];
extern const char ApprovedKey[];        // holds the value SHELL_EXTENSION_CLSID
// What the archiver opens, for Default apps and "Open with": named by the
// value "Lumbex" of RegisteredApplications; read by the shell in the native
// view. Each ticked extension's "OpenWithProgids" names its ProgID.
extern const char CapabilitiesKey[];
extern const char FileAssociationsKey[];
extern const char RegisteredAppsKey[];

// The archive types in the one order that the dialog, setup and uninstall share.
struct ArchiveType {
    const char* extension;      // with its dot: ".kez"
    int checkBox;
    const char* progId;
    const char* contentType;
};
const int ArchiveTypeCount = 5;
extern const ArchiveType ArchiveTypeTable[ArchiveTypeCount];

// The archiver's file types: written by setup, removed at uninstall with
// everything below them.
struct ProgId {
    const char* name;
    int description;            // string id
};
const int ProgIdCount = 2;
extern const ProgId ProgIds[ProgIdCount];
// One of them, whatever its letter case.
bool IsOwnProgId(const char* type);

// The volume extensions .k00 to .k19 of multi-volume KEZ archives, handed
// one after the other to visit.
void ForEachVolumeExtension(void (*visit)(const char* extension));

// The shell extension's class and handlers, written with shell integration.
// Uninstall deletes the keys in reverse order, the server's key before its
// class; those below a ProgID go with it.
struct ShellExtensionValue {
    const char* key;
    const char* name;
    const char* data;           // NULL: the extension's path
    bool belowProgId;
    bool classNamed;            // the key goes on with a backslash and the class
};
const int ShellExtensionValueCount = 14;
extern const ShellExtensionValue ShellExtensionValues[ShellExtensionValueCount];
// The value's whole key; false when it does not fit.
bool ShellExtensionKey(char* key, size_t cap, const ShellExtensionValue& value);

// The stored choices: a check box of the options dialog each, read at its
// start and written by the action that the box belongs to.
struct StoredChoice {
    int box;
    const char* key;            // under HKEY_CURRENT_USER
    const char* value;
    DWORD byDefault;
};
const int StoredChoiceCount = 11;
extern const StoredChoice StoredChoices[StoredChoiceCount];

// What uninstall removes by name besides the file types and the shell
// extension, in this order. Some keys are removed that no setup of this
// version writes (an older version's).
enum Removal { DeleteKeyOnly, DeleteWholeTree, DeleteOneValue, DeleteWhenEmpty };
struct RemovedItem {
    FootprintRoot root;
    const char* key;
    const char* value;          // DeleteOneValue only
    Removal removal;
};
const int RemovedItemCount = 7;
extern const RemovedItem RemovedItems[RemovedItemCount];

// The type's New-menu template, the bytes that setup writes as "Data"
// under "<extension>\ShellNew"; 0 bytes for a type without one.
DWORD OwnTemplate(const ArchiveType& type, BYTE* out, DWORD cap);
// The type's New-menu entry is exactly the one that setup writes.
bool IsOwnShellNew(const ArchiveType& type);

#endif
