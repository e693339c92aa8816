#include "driver/snapshot.h"

#include <stdio.h>
#include <string.h>

#include "driver/snapshot_parts.h"

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

void AddEntry(Snapshot* snapshot, SnapshotEntry entry)
{
    std::string order = entry.path;
    if (entry.kind == SnapshotEntry::Value)
        order += '\x01' + entry.name;       // after the key, before its subkeys
    (*snapshot)[order] = std::move(entry);
}

void AddKey(Snapshot* snapshot, const std::string& path, const std::string& data)
{
    AddEntry(snapshot, {SnapshotEntry::Key, path, "", 0, data});
}

void AddValue(Snapshot* snapshot, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes)
{
    AddEntry(snapshot, {SnapshotEntry::Value, path, name, type, bytes});
}

std::string LinkTo(const std::wstring& target)
{
    return "link to " + Utf8(target);
}

namespace {

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

    WalkDrive(&snapshot, count);
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
