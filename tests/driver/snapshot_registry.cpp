// Registry trees for snapshots: as the registry saves them, and key by key.
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "driver/sandbox.h"
#include "driver/snapshot_parts.h"

namespace {

// Wine writes a saved tree as text: "[key\\path] stamp" lines, each followed
// by its "#time=", "#class=", "#link" lines and its values ("name"=data or
// @=data), where data is "text", str(type):"text", dword:hex or
// hex[(type)]:bytes, long byte lists continued after a trailing backslash.
// Only keys with values or without subkeys are written; the others follow
// from their subkeys.

class SavedReader {
public:
    SavedReader(const std::string& text, const std::string& rootName, Snapshot* snapshot)
        : text(text), rootName(rootName), snapshot(snapshot)
    {
    }

    bool Read()
    {
        size_t at = text.find('\n');        // past the header line
        if (at == std::string::npos)
            return false;
        at++;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            // A byte list goes on in the next line after a trailing backslash.
            while (!line.empty() && line.back() == '\\' && IsByteList(line) && at < text.size()) {
                end = text.find('\n', at);
                if (end == std::string::npos)
                    end = text.size();
                line.pop_back();
                size_t first = text.find_first_not_of(' ', at);
                line += text.substr(first, end - first);
                at = end + 1;
            }
            if (!ReadLine(line))
                return false;
        }
        return true;
    }

private:
    static bool IsByteList(const std::string& line)
    {
        size_t equals = line.find("=hex");
        return equals != std::string::npos && line.find('"', equals) == std::string::npos;
    }

    bool ReadLine(const std::string& line)
    {
        if (line.empty() || line[0] == ';')
            return true;
        if (line[0] == '[')
            return ReadKey(line);
        if (line == "#link") {
            linkKey = key;
            return true;
        }
        if (line[0] == '#')
            return true;        // time stamps, class names, the header's architecture
        return ReadValue(line);
    }

    bool ReadKey(const std::string& line)
    {
        size_t at = 1;
        std::wstring path;
        if (!Unescape(line, &at, ']', &path))
            return false;
        key = rootName;
        std::string relative = Utf8(path);
        if (relative.empty())
            return true;        // the saved key's own values
        // Keys without values of their own are not written: their subkeys imply them.
        for (size_t cut = 0; cut != std::string::npos;) {
            cut = relative.find('\\', cut + 1);
            std::string step = rootName + "\\" + relative.substr(0, cut);
            if (!snapshot->count(step) && !IsExcluded(step))
                AddKey(snapshot, step, "");
        }
        key = rootName + "\\" + relative;
        return true;
    }

    bool ReadValue(const std::string& line)
    {
        size_t at = 0;
        std::wstring name;
        if (line[0] == '@') {
            at = 1;
        } else if (line[0] != '"' || !Unescape(line, &(at = 1), '"', &name)) {
            return false;
        }
        if (at >= line.size() || line[at] != '=')
            return false;
        at++;
        DWORD type;
        std::string bytes;
        if (!ReadData(line, at, &type, &bytes))
            return false;
        if (IsExcluded(key) || IsExcluded(key + "\\" + Utf8(name)))
            return true;
        if (key == linkKey && name == L"SymbolicLinkValue" && type == REG_LINK)
            AddKey(snapshot, key, LinkTo(std::wstring((const wchar_t*)bytes.data(),
                                                      bytes.size() / sizeof(wchar_t))));
        else
            AddValue(snapshot, key, Utf8(name), type, bytes);
        return true;
    }

    bool ReadData(const std::string& line, size_t at, DWORD* type, std::string* bytes)
    {
        const char* data = line.c_str() + at;
        char* end;
        if (data[0] == '"' || strncmp(data, "str(", 4) == 0) {
            *type = REG_SZ;
            if (data[0] == 's') {
                *type = strtoul(data + 4, &end, 16);
                if (strncmp(end, "):\"", 3) != 0)
                    return false;
                at = end + 2 - line.c_str();
            }
            std::wstring text;
            at++;
            if (!Unescape(line, &at, '"', &text))
                return false;
            text.push_back(L'\0');      // only terminated texts are written as texts
            bytes->assign((const char*)text.data(), text.size() * sizeof(wchar_t));
            return true;
        }
        if (strncmp(data, "dword:", 6) == 0) {
            DWORD number = strtoul(data + 6, &end, 16);
            *type = REG_DWORD;
            bytes->assign((const char*)&number, 4);
            return *end == 0;
        }
        if (strncmp(data, "hex", 3) != 0)
            return false;
        *type = REG_BINARY;
        const char* list = data + 3;
        if (*list == '(') {
            *type = strtoul(list + 1, &end, 16);
            list = end + 1;
        }
        if (*list++ != ':')
            return false;
        bytes->clear();
        while (*list) {
            bytes->push_back((char)strtoul(list, &end, 16));
            if (end != list + 2 || (*end && *end != ','))
                return false;
            list = *end ? end + 1 : end;
        }
        return true;
    }

    static int Digit(char c, int base)
    {
        int value = c >= '0' && c <= '9' ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : 99;
        return value < base ? value : -1;
    }

    // Undoes the registry's escapes up to the closing character: a backslash
    // before x and up to four hexadecimal digits, before up to three octal
    // digits, before a C letter, or before the character itself.
    static bool Unescape(const std::string& line, size_t* at, char close, std::wstring* out)
    {
        static const char letters[] = "abtnvfre";
        static const wchar_t codes[] = {7, 8, 9, 10, 11, 12, 13, 27};
        size_t i = *at;
        for (; i < line.size() && line[i] != close; i++) {
            unsigned char c = line[i];
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (++i >= line.size())
                return false;
            c = line[i];
            int base = c == 'x' ? 16 : Digit(c, 8) >= 0 ? 8 : 0;
            if (base) {
                unsigned code = base == 8 ? Digit(c, 8) : 0;
                int digits = base == 8 ? 1 : 0;
                for (; digits < (base == 8 ? 3 : 4) && i + 1 < line.size() &&
                       Digit(line[i + 1], base) >= 0;
                     digits++)
                    code = code * base + Digit(line[++i], base);
                if (!digits)
                    return false;
                out->push_back((wchar_t)code);
            } else if (c && strchr(letters, c)) {
                out->push_back(codes[strchr(letters, c) - letters]);
            } else {
                out->push_back(c);
            }
        }
        if (i >= line.size())
            return false;
        *at = i + 1;
        return true;
    }

    const std::string& text;
    std::string rootName;
    Snapshot* snapshot;
    std::string key;
    std::string linkKey;
};

void EnableBackupPrivilege()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(NULL, "SeBackupPrivilege", &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
    CloseHandle(token);
}

void ListKey(HKEY key, const std::string& path, Snapshot* snapshot)
{
    std::vector<wchar_t> name(256);
    std::vector<BYTE> data(4096);
    std::vector<std::pair<std::string, std::pair<DWORD, std::string>>> values;
    for (DWORD index = 0;;) {
        DWORD nameLength = (DWORD)name.size();
        DWORD size = (DWORD)data.size();
        DWORD type = REG_NONE;
        LONG status = RegEnumValueW(key, index, name.data(), &nameLength, NULL, &type,
                                    data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            name.resize(name.size() * 2);
            data.resize(std::max<size_t>(data.size() * 2, size));
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        values.push_back({Utf8(name.data(), nameLength),
                          {type, std::string((const char*)data.data(), size)}});
        index++;
    }
    // A link key, opened as itself, holds only where it points.
    if (values.size() == 1 && values[0].first == "SymbolicLinkValue" &&
        values[0].second.first == REG_LINK) {
        const std::string& target = values[0].second.second;
        AddKey(snapshot, path, LinkTo(std::wstring((const wchar_t*)target.data(),
                                                   target.size() / sizeof(wchar_t))));
        return;
    }
    AddKey(snapshot, path, "");
    for (const auto& value : values)
        if (!IsExcluded(path + "\\" + value.first))
            AddValue(snapshot, path, value.first, value.second.first, value.second.second);

    std::vector<std::wstring> children;
    for (DWORD index = 0;; index++) {
        DWORD length = (DWORD)name.size();
        if (RegEnumKeyExW(key, index, name.data(), &length, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS)
            break;
        children.emplace_back(name.data(), length);
    }
    for (const std::wstring& child : children) {
        std::string childPath = path + "\\" + Utf8(child);
        if (IsExcluded(childPath))
            continue;
        HKEY opened;
        LONG status = RegOpenKeyExW(key, child.c_str(), REG_OPTION_OPEN_LINK,
                                    KEY_READ | KEY_WOW64_64KEY, &opened);
        if (status != ERROR_SUCCESS) {
            AddKey(snapshot, childPath, "not readable (" + std::to_string(status) + ")");
            continue;
        }
        ListKey(opened, childPath, snapshot);
        RegCloseKey(opened);
    }
}

}  // namespace

Snapshot SavedRegistry(HKEY root, const std::string& rootName)
{
    Snapshot snapshot;
    EnableBackupPrivilege();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring file = std::wstring(temp) + L"lumbex-snapshot-" +
                        std::to_wstring(GetCurrentProcessId()) + L".reg";
    DeleteFileW(file.c_str());
    LONG status = RegSaveKeyW(root, file.c_str(), NULL);
    std::string text = ReadBytes(Utf8(file));
    DeleteFileW(file.c_str());
    if (status != ERROR_SUCCESS || text.compare(0, 23, "WINE REGISTRY Version 2") != 0) {
        AddKey(&snapshot, rootName, "not saved (" + std::to_string(status) + ")");
        return snapshot;
    }
    AddKey(&snapshot, rootName, "");
    SavedReader reader(text, rootName, &snapshot);
    if (!reader.Read())
        AddKey(&snapshot, rootName, "saved registry not understood");
    return snapshot;
}

Snapshot ListedRegistry(HKEY root, const std::string& rootName)
{
    Snapshot snapshot;
    ListKey(root, rootName, &snapshot);
    return snapshot;
}

