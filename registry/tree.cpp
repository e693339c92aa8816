#include "registry.h"

#include <limits.h>

#include "../resources/process.h"
#include "../resources/text.h"

static DWORD DeletedKeys;
static DWORD Passes;

// The status of opening the key just to look: ERROR_FILE_NOT_FOUND when
// there is none.
static LONG KeyStatus(HKEY root, const char* key)
{
    HKEY opened;
    LONG status = RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | GetRegistryView(), &opened);
    if (status == ERROR_SUCCESS)
        RegCloseKey(opened);
    return status;
}

bool DeleteRegTreePass(const char* key)
{
    HKEY root = GetRegistryRoot();
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | GetRegistryView(), &opened) != ERROR_SUCCESS)
        return false;
    char name[256];             // a key name holds up to 255 characters
    char child[512];
    // The index keeps rising although each handled child is normally gone,
    // so a pass skips every other child; the repeated passes finish the job.
    for (DWORD index = 0;; index++) {
        DWORD length = sizeof name;
        FILETIME written;
        if (RegEnumKeyExA(opened, index, name, &length, NULL, NULL, NULL, &written) !=
            ERROR_SUCCESS)
            break;
        if (TextFormat(child, sizeof child, "%s\\%s", key, name))
            DeleteRegTreePass(child);
    }
    RegCloseKey(opened);
    if (!DeleteRegKey(key))
        return false;
    DeletedKeys++;
    return true;
}

bool DeleteRegTree(const char* key)
{
    Passes = 0;
    do {
        DeletedKeys = 0;
        DeleteRegTreePass(key);
        Passes++;
    } while (DeletedKeys != 0);
    // The last pass deleted nothing, whether the key went before or stayed.
    return KeyStatus(GetRegistryRoot(), key) == ERROR_FILE_NOT_FOUND;
}

DWORD DeleteRegTreePasses()
{
    return Passes;
}

bool RemoveRegTree(const char* key)
{
    // The Windows 95 family deletes a key with its subkeys in one call.
    if (PlatformId == PlatformWindows95 && RegDeleteKeyA(GetRegistryRoot(), key) == ERROR_SUCCESS)
        return true;
    return DeleteRegTree(key);
}

// A key path folded as the registry compares names: wide, upper case, and
// without closing backslashes. False when it does not fit.
static bool FoldKeyPath(const char* path, WCHAR* folded, int cap, int* length)
{
    int n = MultiByteToWideChar(CP_ACP, 0, path, -1, folded, cap);
    if (n <= 0)
        return false;
    n--;                        // the terminator
    CharUpperBuffW(folded, (DWORD)n);
    while (n > 0 && folded[n - 1] == L'\\')
        n--;
    *length = n;
    return true;
}

// One key is the other or lies below it; "" is the root, above every key.
static bool Overlap(const char* a, const char* b)
{
    WCHAR foldedA[512];
    WCHAR foldedB[512];
    int lengthA;
    int lengthB;
    if (!FoldKeyPath(a, foldedA, 512, &lengthA) || !FoldKeyPath(b, foldedB, 512, &lengthB))
        return true;            // cannot tell them apart: as good as the same
    int shorter = lengthA < lengthB ? lengthA : lengthB;
    for (int i = 0; i < shorter; i++)
        if (foldedA[i] != foldedB[i])
            return false;
    if (lengthA == lengthB || shorter == 0)
        return true;
    return (lengthA > lengthB ? foldedA : foldedB)[shorter] == L'\\';
}

static bool CopyValues(HKEY from, HKEY to)
{
    char name[200];
    BYTE data[1000];
    for (DWORD index = 0;; index++) {
        DWORD nameLength = sizeof name;
        DWORD dataLength = sizeof data;
        DWORD type;
        LONG status = RegEnumValueA(from, index, name, &nameLength, NULL, &type, data,
                                    &dataLength);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        if (status == ERROR_SUCCESS)        // else a name or data that does not fit
            status = RegSetValueExA(to, name, 0, type, data, dataLength);
        Changed();
        if (status != ERROR_SUCCESS)
            return false;
    }
}

// Children of keys apart from each other are apart as well, so the overlap
// is looked at once, by the caller.
static bool CopyTree(HKEY sourceRoot, const char* source, HKEY destinationRoot,
                    const char* destination)
{
    HKEY from;
    if (RegOpenKeyExA(sourceRoot, source, 0, KEY_READ | GetRegistryView(), &from) !=
        ERROR_SUCCESS)
        return false;
    HKEY savedRoot = GetRegistryRoot();
    SetRegistryRoot(destinationRoot);
    // Whatever resisted the deletion would end up mixed into the copy.
    bool emptied = DeleteRegTree(destination);
    SetRegistryRoot(savedRoot);
    HKEY to;
    DWORD disposition;
    if (!emptied || RegCreateKeyExA(destinationRoot, destination, 0, NULL,
                                    REG_OPTION_NON_VOLATILE, KEY_WRITE | GetRegistryView(),
                                    NULL, &to,
                                    &disposition) != ERROR_SUCCESS) {
        RegCloseKey(from);
        return false;
    }
    bool complete = CopyValues(from, to);

    char name[256];
    char sourceChild[512];
    char destinationChild[512];
    for (DWORD index = 0;; index++) {
        DWORD length = sizeof name;
        FILETIME written;
        LONG status = RegEnumKeyExA(from, index, name, &length, NULL, NULL, NULL, &written);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS ||
            !TextFormat(sourceChild, sizeof sourceChild, "%s\\%s", source, name) ||
            !TextFormat(destinationChild, sizeof destinationChild, "%s\\%s", destination,
                        name)) {
            complete = false;
            if (status != ERROR_SUCCESS)
                break;
            continue;
        }
        // The child copies itself, its key made on the way.
        if (!CopyTree(sourceRoot, sourceChild, destinationRoot, destinationChild))
            complete = false;
    }
    RegCloseKey(from);
    RegCloseKey(to);
    return complete;
}

bool CopyRegTreeBetween(HKEY sourceRoot, const char* source, HKEY destinationRoot,
                        const char* destination)
{
    // Emptying a destination that overlaps the source would destroy the source.
    if (sourceRoot == destinationRoot && Overlap(source, destination))
        return false;
    return CopyTree(sourceRoot, source, destinationRoot, destination);
}

bool CopyRegTree(const char* source, const char* destination)
{
    HKEY root = GetRegistryRoot();
    return CopyRegTreeBetween(root, source, root, destination);
}

static bool NumberedKey(char* key, const char* pattern, int n)
{
    return IsSingleNumberFormat(pattern) && TextFormat(key, 256, pattern, n);
}

bool ShiftRegKeysDown(const char* pattern, int first)
{
    char destination[256];
    char source[256];
    int n = first;
    // No number follows the largest one: the run ends there.
    if (first == INT_MAX || !NumberedKey(destination, pattern, n))
        return false;
    bool moved = true;
    while (n < INT_MAX) {
        n++;
        if (!NumberedKey(source, pattern, n)) {
            moved = false;
            break;
        }
        // The run ends at the first number without a key; any other
        // failure leaves the rest of it unmoved.
        if (!CopyRegTree(source, destination)) {
            moved = KeyStatus(GetRegistryRoot(), source) == ERROR_FILE_NOT_FOUND;
            break;
        }
        TextCopy(destination, sizeof destination, source);
    }
    return DeleteRegTree(destination) && moved;
}

bool ShiftRegKeysUp(const char* pattern, int low, int high)
{
    char destination[256];
    char source[256];
    int n = high;
    for (; n > low; n--) {
        if (!NumberedKey(destination, pattern, n) || !NumberedKey(source, pattern, n - 1) ||
            !CopyRegTree(source, destination))
            break;
    }
    // Stopped early: the key numbered low has not moved yet and must stay.
    if (n > low || !NumberedKey(destination, pattern, low))
        return false;
    return DeleteRegTree(destination);
}

bool RegKeyExists(const char* key)
{
    LONG status = KeyStatus(GetRegistryRoot(), key);
    return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

bool EnumRegSubkey(const char* key, DWORD index, char* output, DWORD capacity)
{
    HKEY opened = OpenRegKeyForRead(key);
    if (!opened)
        return false;
    char name[512];
    DWORD length = sizeof name;
    FILETIME written;
    LONG status = RegEnumKeyExA(opened, index, name, &length, NULL, NULL, NULL, &written);
    CloseRegKey(opened);
    if (status != ERROR_SUCCESS)
        return false;
    char full[512];
    if (!TextCopy(full, sizeof full, key) || (key[0] && !AppendBackslash(full, sizeof full)) ||
        !TextAppend(full, sizeof full, name))
        return false;
    DWORD n = 0;
    while (full[n])
        n++;
    if (n >= capacity)
        return false;   // a cut path would name another key
    for (DWORD i = 0; i < capacity; i++)
        output[i] = i < n ? full[i] : 0;
    return true;
}
