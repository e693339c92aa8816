#include "driver/long_path.h"
#include "driver/sandbox.h"

#include <windows.h>

#include <stdio.h>

#include <algorithm>

namespace {

std::wstring Wide(const std::string& text)
{
    int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, NULL, 0);
    std::wstring wide(count > 0 ? count : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], count);
    wide.resize(count > 0 ? count - 1 : 0);
    return wide;
}

std::string Narrow(const std::wstring& wide)
{
    int count = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string text(count > 0 ? count : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], count, NULL, NULL);
    text.resize(count > 0 ? count - 1 : 0);
    return text;
}

std::wstring Long(const std::string& path)
{
    return L"\\\\?\\" + Wide(path);
}

DWORD Attributes(const std::string& path)
{
    return GetFileAttributesW(Long(path).c_str());
}

void List(const std::string& path, const std::string& relative, bool deep,
          std::vector<std::string>* lines)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Long(path) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = Narrow(found.cFileName);
        if (name == "." || name == "..")
            continue;
        std::string inner = relative.empty() ? name : relative + "\\" + name;
        char details[80];
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder)
            snprintf(details, sizeof details, " <dir> %lx", found.dwFileAttributes);
        else
            snprintf(details, sizeof details, " %lu %08lx%08lx %lx", found.nFileSizeLow,
                     found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime,
                     found.dwFileAttributes);
        lines->push_back(inner + details);
        if (folder && deep)
            List(path + "\\" + name, inner, deep, lines);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

bool MakeFolderLong(const std::string& path)
{
    return CreateDirectoryW(Long(path).c_str(), NULL) != 0;
}

bool WriteLong(const std::string& path, const std::string& bytes)
{
    return WriteAndClose(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, NULL),
                         bytes);
}

bool ExistsLong(const std::string& path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFileLong(const std::string& path)
{
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTreeLong(const std::string& path)
{
    DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(Long(path).c_str()) != 0;
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Long(path) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(found.cFileName);
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    for (const std::string& name : names)
        RemoveTreeLong(path + "\\" + name);
    return RemoveDirectoryW(Long(path).c_str()) != 0;
}

std::vector<std::string> TreeLines(const std::string& path)
{
    std::vector<std::string> lines;
    List(path, std::string(), true, &lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> FolderLines(const std::string& path)
{
    std::vector<std::string> lines;
    List(path, std::string(), false, &lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}
