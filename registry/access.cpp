#include "registry.h"

#include "../resources/footprint.h"
#include "../resources/process.h"
#include "../resources/text.h"

// Null until a root is chosen, and taken as HKEY_CURRENT_USER then: zero at
// start, the state needs no writable data section of its own.
static HKEY ChosenRoot;
static HKEY HeldKey;
static bool HoldRequested;
static REGSAM View;

typedef LONG(WINAPI* DeleteInView)(HKEY, LPCSTR, REGSAM, DWORD);
static DeleteInView DeleteKeyInView;

// The view flag is known wherever RegDeleteKeyExA is, and ignored where the
// system has one view only; older systems have neither, and must not import it.
void SetNativeRegistryView(bool native)
{
    SetRegistryRoot(native ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT);
    DeleteKeyInView = NULL;
    if (native)
        DeleteKeyInView = (DeleteInView)(void*)GetProcAddress(GetModuleHandleA("advapi32.dll"),
                                                              "RegDeleteKeyExA");
    View = DeleteKeyInView ? KEY_WOW64_64KEY : 0;
}

REGSAM GetRegistryView()
{
    return View;
}

void SetRegistryRoot(HKEY root)
{
    ChosenRoot = ScopedRoot(root);
}

bool EnterUserScope()
{
    HKEY classes;
    DWORD disposition;
    // A new profile may not have the key yet.
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, NULL, &classes, &disposition) != ERROR_SUCCESS)
        return false;
    UserClasses = classes;
    return true;
}

void LeaveUserScope()
{
    RegCloseKey(UserClasses);
    UserClasses = NULL;
}

static bool MayWriteBelowParent(const char* key)
{
    char path[MAX_PATH];
    if (!TextCopy(path, sizeof path, key))
        return false;
    LONG status = ERROR_FILE_NOT_FOUND;
    while (status == ERROR_FILE_NOT_FOUND) {
        char* name = FileNamePart(path);
        if (name == path)
            return false;
        name[-1] = 0;
        HKEY opened;
        status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                               &opened);
        if (status == ERROR_SUCCESS)
            RegCloseKey(opened);
    }
    return status == ERROR_SUCCESS;
}

bool MayWriteMachineWide()
{
    return MayWriteBelowParent("Software\\Classes\\.kez") &&
           MayWriteBelowParent(UninstallEntryKey) && MayWriteBelowParent(AppPathKey) &&
           MayWriteBelowParent(ApprovedKey);
}

HKEY GetRegistryRoot()
{
    return ChosenRoot ? ChosenRoot : HKEY_CURRENT_USER;
}

void ReleaseHeldRegKey()
{
    if (HeldKey) {
        RegCloseKey(HeldKey);
        HeldKey = NULL;
    }
    HoldRequested = false;
}

void HoldNextRegKey()
{
    ReleaseHeldRegKey();
    HoldRequested = true;
}

HKEY OpenRegKeyForWrite(const char* key)
{
    if (HeldKey)
        return HeldKey;
    HKEY opened = NULL;
    DWORD disposition;
    LONG status = RegCreateKeyExA(GetRegistryRoot(), key, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE | View, NULL, &opened, &disposition);
    if (status != ERROR_SUCCESS)
        opened = NULL;
    if (HoldRequested) {
        HoldRequested = false;
        HeldKey = opened;
    }
    return opened;
}

HKEY OpenRegKeyForRead(const char* key)
{
    if (HeldKey)
        return HeldKey;
    HKEY opened = NULL;
    if (RegOpenKeyExA(GetRegistryRoot(), key, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | View,
                      &opened) != ERROR_SUCCESS) {
        ReleaseHeldRegKey();
        return NULL;
    }
    if (HoldRequested) {
        HoldRequested = false;
        HeldKey = opened;
    }
    return opened;
}

void CloseRegKey(HKEY key)
{
    if (!HeldKey && key)
        RegCloseKey(key);
}

static bool WriteValue(const char* key, const char* name, DWORD type, const void* data,
                       DWORD size)
{
    HKEY opened = OpenRegKeyForWrite(key);
    if (!opened)
        return false;
    bool written = RegSetValueExA(opened, name, 0, type, (const BYTE*)data, size) == ERROR_SUCCESS;
    CloseRegKey(opened);
    Changed();
    return written;
}

bool WriteRegString(const char* key, const char* name, const char* text)
{
    return WriteValue(key, name, REG_SZ, text, (DWORD)TextLength(text) + 1);
}

bool WriteRegDword(const char* key, const char* name, DWORD value)
{
    return WriteValue(key, name, REG_DWORD, &value, sizeof value);
}

bool WriteRegBinary(const char* key, const char* name, const void* bytes, DWORD count)
{
    return WriteValue(key, name, REG_BINARY, bytes, count);
}

// Queries into buffer; on success *size is the stored byte count.
static bool QueryValue(const char* key, const char* name, void* buffer, DWORD* size)
{
    HKEY opened = OpenRegKeyForRead(key);
    if (!opened)
        return false;
    DWORD type;
    LONG status = RegQueryValueExA(opened, name, NULL, &type, (BYTE*)buffer, size);
    CloseRegKey(opened);
    return status == ERROR_SUCCESS;
}

bool ReadRegString(const char* key, const char* name, char* buffer, const char* defaultText,
                   DWORD capacity)
{
    if (capacity == 0)
        return false;
    DWORD size = capacity;
    if (QueryValue(key, name, buffer, &size)) {
        // A value written by someone else may lack its terminator; one that
        // fills the buffer without a zero at its end does not fit.
        if (size < capacity) {
            buffer[size] = 0;
            return true;
        }
        if (buffer[capacity - 1] == 0)
            return true;
    }
    TextCopy(buffer, capacity, defaultText);    // a default that does not fit is cut
    return false;
}

bool ReadRegText(const char* key, const char* name, char* buffer, DWORD capacity)
{
    if (capacity == 0)
        return false;
    buffer[0] = 0;
    HKEY opened;
    // Only a key that is not there means "nothing there"; one that cannot
    // be read (access denied) may well hold something.
    LONG opening = RegOpenKeyExA(GetRegistryRoot(), key, 0, KEY_QUERY_VALUE | View, &opened);
    if (opening != ERROR_SUCCESS)
        return opening == ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    LONG status = RegQueryValueExA(opened, name, NULL, &type, NULL, NULL);
    RegCloseKey(opened);
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    return status == ERROR_SUCCESS && type == REG_SZ &&
           ReadRegString(key, name, buffer, "", capacity);
}

bool ReadRegDword(const char* key, const char* name, DWORD* value, DWORD defaultValue)
{
    DWORD stored = 0;           // a shorter value fills only its own bytes
    DWORD size = sizeof stored;
    if (QueryValue(key, name, &stored, &size)) {
        *value = stored;
        return true;
    }
    *value = defaultValue;
    return false;
}

DWORD GetRegDword(const char* key, const char* name, DWORD defaultValue)
{
    DWORD value;
    ReadRegDword(key, name, &value, defaultValue);
    return value;
}

DWORD ReadRegBinary(const char* key, const char* name, void* buffer, const void* defaultBytes,
                    DWORD capacity)
{
    DWORD size = capacity;
    if (QueryValue(key, name, buffer, &size))
        return size;
    BYTE* bytes = (BYTE*)buffer;
    for (DWORD i = 0; i < capacity; i++)
        bytes[i] = defaultBytes ? ((const BYTE*)defaultBytes)[i] : 0;
    return 0;
}

// Also gone when another run deleted the key after it was opened here.
static bool Gone(LONG status)
{
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ||
           status == ERROR_KEY_DELETED;
}

bool DeleteRegKey(const char* key)
{
    LONG status = View ? DeleteKeyInView(GetRegistryRoot(), key, View, 0)
                       : RegDeleteKeyA(GetRegistryRoot(), key);
    Changed();
    return Gone(status);
}

bool DeleteRegValue(const char* key, const char* name)
{
    HKEY opened;
    LONG status = RegOpenKeyExA(GetRegistryRoot(), key, 0, KEY_WRITE | View, &opened);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteValueA(opened, name);
        RegCloseKey(opened);    // a key of its own: closed even while one is held
        Changed();
    }
    return Gone(status);
}
