#include "driver/snapshot.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "driver/sandbox.h"

// Measured: two snapshots with nothing run in between are the same, also
// around a command interpreter run. Around a program that opens a window
// (Notepad, the tool itself) Wine's display driver stamps the display
// adapter's entry with the time, and the first such program after the prefix
// starts rewrites the display adapter and monitor classes.
const std::vector<SnapshotExclusion> SnapshotExclusions = {
    {"HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}",
     "display adapters: Wine's display driver rewrites them when a program starts it"},
    {"HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E96E-E325-11CE-BFC1-08002BE10318}",
     "monitors: Wine's display driver rewrites them when a program starts it"},
};

namespace {

std::string Utf8(const wchar_t* text, size_t length)
{
    if (length == 0)
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text, (int)length, NULL, 0, NULL, NULL);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, (int)length, &out[0], size, NULL, NULL);
    return out;
}

std::string Utf8(const std::wstring& text)
{
    return Utf8(text.data(), text.size());
}

bool IsExcluded(const std::string& path)
{
    for (const SnapshotExclusion& exclusion : SnapshotExclusions) {
        size_t length = strlen(exclusion.path);
        if (path.size() >= length && _strnicmp(path.c_str(), exclusion.path, length) == 0 &&
            (path.size() == length || path[length] == '\\'))
            return true;
    }
    return false;
}

void Add(Snapshot* snapshot, SnapshotEntry entry)
{
    std::string order = entry.path;
    if (entry.kind == SnapshotEntry::Value)
        order += '\x01' + entry.name;       // after the key, before its subkeys
    (*snapshot)[order] = std::move(entry);
}

void AddKey(Snapshot* snapshot, const std::string& path, const std::string& data)
{
    Add(snapshot, {SnapshotEntry::Key, path, "", 0, data});
}

void AddValue(Snapshot* snapshot, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes)
{
    Add(snapshot, {SnapshotEntry::Value, path, name, type, bytes});
}

std::string LinkTo(const std::wstring& target)
{
    return "link to " + Utf8(target);
}

// ---- the registry as it saves itself ----
//
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

// ---- the registry key by key ----

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

// ---- files ----

const DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM;

// Four independent lanes of a multiply-rotate mix: a content fingerprint
// fast enough to read all of drive C: in a test.
class ContentHash {
public:
    void Add(const unsigned char* bytes, size_t size)
    {
        size_t i = 0;
        for (; i + 16 <= size; i += 16)
            for (int lane = 0; lane < 4; lane++) {
                uint32_t word;
                memcpy(&word, bytes + i + 4 * lane, 4);
                Mix(&lanes[lane], word);
            }
        for (; i < size; i++)
            Mix(&lanes[i & 3], bytes[i] | 0x100u);
        length += size;
    }
    std::string Hex() const
    {
        uint32_t high = Final(lanes[0] ^ Rotate(lanes[2], 7) ^ (uint32_t)length);
        uint32_t low = Final(lanes[1] ^ Rotate(lanes[3], 11) ^ (uint32_t)(length >> 32));
        char text[20];
        snprintf(text, sizeof text, "%08x%08x", high, low);
        return text;
    }

private:
    static uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
    static void Mix(uint32_t* lane, uint32_t word)
    {
        word *= 0xcc9e2d51u;
        word = Rotate(word, 15) * 0x1b873593u;
        *lane = Rotate(*lane ^ word, 13) * 5 + 0xe6546b64u;
    }
    static uint32_t Final(uint32_t x)
    {
        x ^= x >> 16;
        x *= 0x85ebca6bu;
        x ^= x >> 13;
        x *= 0xc2b2ae35u;
        return x ^ (x >> 16);
    }
    uint32_t lanes[4] = {0x9e3779b1u, 0x85ebca77u, 0xc2b2ae3du, 0x27d4eb2fu};
    unsigned long long length = 0;
};

// Hashed in whole buffers, so that the same content always hashes alike.
std::string HashFile(const std::wstring& path, std::vector<unsigned char>* buffer,
                     SnapshotCount* count)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "not readable (" + std::to_string(GetLastError()) + ")";
    ContentHash hash;
    for (;;) {
        size_t filled = 0;
        DWORD got = 0;
        while (filled < buffer->size() &&
               ReadFile(file, buffer->data() + filled, (DWORD)(buffer->size() - filled), &got,
                        NULL) &&
               got)
            filled += got;
        hash.Add(buffer->data(), filled);
        count->bytes += filled;
        if (filled < buffer->size())
            break;
    }
    CloseHandle(file);
    return "hash " + hash.Hex();
}

// Where a folder really is when that is not where its path says (a link,
// such as Wine's link from a user folder to the Unix home); else empty.
std::string FolderLink(const std::wstring& path)
{
    HANDLE folder = CreateFileW(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return std::string();
    wchar_t final[1024];
    DWORD length = GetFinalPathNameByHandleW(folder, final, 1024, 0);
    CloseHandle(folder);
    if (length == 0 || length >= 1024 || _wcsicmp(final, path.c_str()) == 0)
        return std::string();
    return LinkTo(std::wstring(final, length));
}

void WalkFolder(const std::wstring& folder, const std::string& path, Snapshot* snapshot,
                SnapshotCount* count, std::vector<unsigned char>* buffer)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, NULL, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<WIN32_FIND_DATAW> entries;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            entries.push_back(found);
    } while (FindNextFileW(search, &found));
    FindClose(search);

    for (const WIN32_FIND_DATAW& entry : entries) {
        std::wstring childFolder = folder + L"\\" + entry.cFileName;
        std::string childPath = path + "\\" + Utf8(entry.cFileName, wcslen(entry.cFileName));
        if (IsExcluded(childPath))
            continue;
        DWORD attributes = entry.dwFileAttributes & KeptAttributes;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            count->folders++;
            // Not followed: a link may lead out of the drive, or in circles.
            std::string link = FolderLink(childFolder);
            if (link.empty() && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                link = "link";
            Add(snapshot, {SnapshotEntry::Folder, childPath, "", attributes, link});
            if (link.empty())
                WalkFolder(childFolder, childPath, snapshot, count, buffer);
            continue;
        }
        count->files++;
        unsigned long long size =
            ((unsigned long long)entry.nFileSizeHigh << 32) | entry.nFileSizeLow;
        Add(snapshot, {SnapshotEntry::File, childPath, "", attributes,
                       std::to_string(size) + " bytes, " +
                           HashFile(childFolder, buffer, count)});
    }
}

// ---- difference ----

std::string Escaped(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == '"' || c == '\\') {
            char escape[8];
            snprintf(escape, sizeof escape, c < 0x20 ? "\\x%02x" : "\\%c", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    if (out.size() > 300)
        return out.substr(0, 300) + "...(" + std::to_string(out.size()) + " bytes)";
    return out;
}

std::string TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "type " + std::to_string(type);
    }
}

// Texts as texts, numbers as numbers, anything else as its bytes.
std::string ValueData(DWORD type, const std::string& data)
{
    bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (text && data.size() % 2 == 0) {
        std::string chars = Utf8((const wchar_t*)data.data(), data.size() / 2);
        std::string name = TypeName(type);
        if (chars.empty() || chars.back() != '\0')
            name += " (unterminated)";
        else
            chars.pop_back();
        return name + " \"" + Escaped(chars) + "\"";
    }
    if (type == REG_DWORD && data.size() == 4) {
        DWORD number;
        memcpy(&number, data.data(), 4);
        return "REG_DWORD " + std::to_string(number);
    }
    std::string out = TypeName(type);
    for (size_t i = 0; i < data.size() && i < 64; i++) {
        char hex[4];
        snprintf(hex, sizeof hex, " %02x", (unsigned char)data[i]);
        out += hex;
    }
    if (data.size() > 64)
        out += " ...(" + std::to_string(data.size()) + " bytes)";
    return out;
}

std::string Attributes(DWORD attributes)
{
    std::string text;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        text += "R";
    if (attributes & FILE_ATTRIBUTE_HIDDEN)
        text += "H";
    if (attributes & FILE_ATTRIBUTE_SYSTEM)
        text += "S";
    return text.empty() ? text : "attributes " + text;
}

std::string Subject(const SnapshotEntry& entry)
{
    switch (entry.kind) {
    case SnapshotEntry::Key:
        return "key " + entry.path;
    case SnapshotEntry::Value:
        return "value " + entry.path + " " +
               (entry.name.empty() ? "@" : "\"" + Escaped(entry.name) + "\"");
    case SnapshotEntry::Folder:
        return "folder " + entry.path;
    default:
        return "file " + entry.path;
    }
}

std::string State(const SnapshotEntry& entry)
{
    if (entry.kind == SnapshotEntry::Value)
        return ValueData(entry.type, entry.data);
    std::string attributes = Attributes(entry.type);
    if (entry.data.empty() || attributes.empty())
        return entry.data + attributes;
    return entry.data + ", " + attributes;
}

std::string Whole(const SnapshotEntry& entry)
{
    std::string state = State(entry);
    if (entry.kind == SnapshotEntry::Value)
        return Subject(entry) + " = " + state;
    return state.empty() ? Subject(entry) : Subject(entry) + " (" + state + ")";
}

bool Same(const SnapshotEntry& a, const SnapshotEntry& b)
{
    return a.kind == b.kind && a.type == b.type && a.data == b.data;
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

Snapshot TakeSnapshot(SnapshotCount* count)
{
    SnapshotCount local = {};
    if (!count)
        count = &local;
    *count = SnapshotCount();
    DWORD start = GetTickCount();
    Snapshot snapshot = SavedRegistry(HKEY_LOCAL_MACHINE, "HKLM");
    Snapshot users = SavedRegistry(HKEY_USERS, "HKU");
    snapshot.insert(users.begin(), users.end());
    for (const char* root : {"HKLM", "HKU"})
        if (!snapshot[root].data.empty())
            count->problem += std::string(root) + ": " + snapshot[root].data + " ";
    for (const auto& entry : snapshot)
        (entry.second.kind == SnapshotEntry::Key ? count->keys : count->values)++;
    count->registryMs = GetTickCount() - start;
    start = GetTickCount();

    // The 32-bit view would show the 32-bit system folder twice instead.
    PVOID redirection = NULL;
    BOOL redirected = Wow64DisableWow64FsRedirection(&redirection);
    std::vector<unsigned char> buffer(1 << 20);
    WalkFolder(L"\\\\?\\C:", "C:", &snapshot, count, &buffer);
    if (redirected)
        Wow64RevertWow64FsRedirection(redirection);
    count->filesMs = GetTickCount() - start;
    return snapshot;
}

std::vector<std::string> SnapshotDifference(const Snapshot& before, const Snapshot& after)
{
    std::vector<std::string> lines;
    auto old = before.begin();
    auto now = after.begin();
    while (old != before.end() || now != after.end()) {
        if (now == after.end() || (old != before.end() && old->first < now->first)) {
            lines.push_back("- " + Whole(old->second));
            ++old;
        } else if (old == before.end() || now->first < old->first) {
            lines.push_back("+ " + Whole(now->second));
            ++now;
        } else {
            if (!Same(old->second, now->second))
                lines.push_back("~ " + Subject(now->second) + ": " + State(old->second) +
                                " -> " + State(now->second));
            ++old;
            ++now;
        }
    }
    return lines;
}
