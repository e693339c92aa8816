// Registry access: every key path is relative to the root chosen with
// SetRegistryRoot; "" names a key's default value.
#ifndef LUMBEX_REGISTRY_REGISTRY_H
#define LUMBEX_REGISTRY_REGISTRY_H

#include <windows.h>

// Machine-wide roots stand for the user's own in the user's scope.
void SetRegistryRoot(HKEY root);
// From here on the run is in the current user's scope; false, and still in
// the machine's, when the user's classes cannot be written.
bool EnterUserScope();
// Back to the machine's scope.
void LeaveUserScope();
// Whether the parent of every machine-wide key that setup writes, or the
// nearest key above it that stands, takes writes: a standard user's token
// takes none. The system checks the rights when a key is opened.
bool MayWriteMachineWide();
HKEY GetRegistryRoot();
// With native set, the root is the machine's, and keys are opened in the
// view that the 64-bit shell reads (a 32-bit process under WoW64 is
// otherwise led to the 32-bit one) where the system knows the views, as
// looked up at run time. Without, the root is the classes root again.
void SetNativeRegistryView(bool native);
REGSAM GetRegistryView();

// Every operation returns true when it was done, false when not.
bool WriteRegString(const char* key, const char* name, const char* text);
bool WriteRegDword(const char* key, const char* name, DWORD value);
bool WriteRegBinary(const char* key, const char* name, const void* bytes, DWORD count);

// Reads never fail for the caller: on any failure the default is used and the
// result is false. A text read back always ends in a zero inside the buffer.
bool ReadRegString(const char* key, const char* name, char* buffer, const char* defaultText,
                   DWORD capacity);
// A plain REG_SZ text only. True when it was read or is not there at all
// (the buffer is then empty); false, with an empty buffer, for a value of
// another type, one that does not fit, or one that cannot be read.
bool ReadRegText(const char* key, const char* name, char* buffer, DWORD capacity);
bool ReadRegDword(const char* key, const char* name, DWORD* value, DWORD defaultValue);
DWORD GetRegDword(const char* key, const char* name, DWORD defaultValue);
DWORD ReadRegBinary(const char* key, const char* name, void* buffer, const void* defaultBytes,
                    DWORD capacity);

// Deletions are done when what they name is gone, also when it never was.
bool DeleteRegKey(const char* key);        // this key only: false if it has subkeys on NT
bool DeleteRegValue(const char* key, const char* name);

// While a key is held, every read and write uses it whatever path is given.
void HoldNextRegKey();
void ReleaseHeldRegKey();
HKEY OpenRegKeyForWrite(const char* key);
HKEY OpenRegKeyForRead(const char* key);
void CloseRegKey(HKEY key);

// Whole trees. Child paths that would not fit are skipped, never cut.
bool RemoveRegTree(const char* key);       // one call on the Windows 95 family
// Repeated passes until one deletes nothing; true when the key is gone.
bool DeleteRegTree(const char* key);
bool DeleteRegTreePass(const char* key);   // true when the key itself went
DWORD DeleteRegTreePasses();               // passes made by the last DeleteRegTree
// True when the whole source tree was copied over the emptied destination.
bool CopyRegTree(const char* source, const char* destination);
bool CopyRegTreeBetween(HKEY sourceRoot, const char* source, HKEY destinationRoot,
                        const char* destination);
// pattern holds one integer conversion, e.g. "Software\\Lumbex\\History\\%d".
// Both true only when the whole run moved.
bool ShiftRegKeysDown(const char* pattern, int first);
bool ShiftRegKeysUp(const char* pattern, int low, int high);
// Also a key that may not be looked into.
bool RegKeyExists(const char* key);
bool EnumRegSubkey(const char* key, DWORD index, char* output, DWORD capacity);

#endif
