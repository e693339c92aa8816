#include <windows.h>

#include "list_line.h"

static bool RefillFromFile(ListSource* list)
{
    DWORD read = 0;
    if (!ReadFile((HANDLE)list->handle, list->buffer, sizeof list->buffer, &read, NULL))
        return false;
    list->length = read;
    return read > 0;
}

static bool RewindFile(ListSource* list)
{
    return SetFilePointer((HANDLE)list->handle, 0, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool OpenListFile(const char* path, ListSource* list)
{
    // Shared as a library's own file opening shares it: another program may
    // still be reading or writing it.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    list->refill = RefillFromFile;
    list->rewind = RewindFile;
    list->handle = file;
    list->offset = 0;
    list->length = 0;
    list->position = 0;
    return true;
}

void CloseListFile(ListSource* list)
{
    CloseHandle((HANDLE)list->handle);
    list->handle = INVALID_HANDLE_VALUE;
}
