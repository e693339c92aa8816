#include "driver/sandbox.h"

#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

extern std::string TestToolPath;
extern std::string TestFixtures;

std::string ToolPath()
{
    return TestToolPath;
}

std::string FixturePath(const std::string& relative)
{
    std::string path = TestFixtures + "\\" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ScreenshotPath(const std::string& name)
{
    std::string folder = TestFixtures + "\\..\\screenshots";
    CreateDirectoryA(folder.c_str(), NULL);
    return folder + "\\" + name;
}

bool RemoveTree(const std::string& path)
{
    if (!Exists(path))
        return true;
    std::string from = path;
    from.push_back('\0');       // the shell wants a double-zero list
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&op);
    return !Exists(path);
}

// A removal script still running would go on deleting in the next test's
// folders, and its interpreter holds its temporary folder: it is waited for
// (30 s at most).
static void WaitForScripts()
{
    for (int i = 0; i < 1500 && !ProcessIds("cmd.exe").empty(); i++)
        Sleep(20);
}

std::string MakeSandbox(const std::string& name)
{
    WaitForScripts();
    CreateDirectoryA("C:\\lumbex-tests", NULL);
    std::string path = "C:\\lumbex-tests\\" + name;
    // A program that has just ended (a script's) may hold a folder in it a
    // moment longer.
    for (int i = 0; i < 250 && !RemoveTree(path); i++)
        Sleep(20);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

std::string Sz(const std::string& text)
{
    return text + std::string(1, '\0');
}

std::string TempFolder()
{
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    return std::string(temp, length && temp[length - 1] == '\\' ? length - 1 : length);
}

// The script folders in temp: "Lumbex-" and eight digits.
static std::vector<std::wstring> ScriptFolders(const std::wstring& temp)
{
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((temp + L"\\Lumbex-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do
        folders.push_back(temp + L"\\" + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return folders;
}

static std::wstring WideTemp(const std::string& temp)
{
    std::string ansi = temp.empty() ? TempFolder() : temp;
    WCHAR wide[MAX_PATH];
    int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, MAX_PATH);
    return length > 0 ? wide : L"?";
}

std::string RemovalScript(const std::string& temp)
{
    for (const std::wstring& folder : ScriptFolders(WideTemp(temp))) {
        char path[MAX_PATH];
        std::wstring script = folder + L"\\Uninstall.Kez.Bat";
        if (GetFileAttributesW(script.c_str()) != INVALID_FILE_ATTRIBUTES &&
            WideCharToMultiByte(CP_ACP, 0, script.c_str(), -1, path, MAX_PATH, NULL, NULL) > 0)
            return path;
    }
    return "";
}

bool ScriptLeft(const std::string& temp)
{
    return !ScriptFolders(WideTemp(temp)).empty();
}

bool ScriptLeftW(const std::wstring& temp)
{
    return !ScriptFolders(temp).empty();
}

void RemoveScriptsLeft(const std::string& temp)
{
    WaitForScripts();
    for (const std::wstring& folder : ScriptFolders(WideTemp(temp))) {
        DeleteFileW((folder + L"\\Uninstall.Kez.Bat").c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

bool WriteAndClose(HANDLE file, const std::string& bytes)
{
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    return WriteAndClose(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, NULL),
                         bytes);
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

HANDLE Start(const std::string& commandLine, const std::string& folder, void* environment)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // With an environment of its own, the program also gets standard
    // handles of its own: the null device, not this test's output.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (environment) {
        nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          &inherit, OPEN_EXISTING, 0, NULL);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    }
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessA(NULL, line.data(), NULL, NULL, environment != NULL, 0,
                                  environment, folder.empty() ? NULL : folder.c_str(), &startup,
                                  &info);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        return NULL;
    CloseHandle(info.hThread);
    return info.hProcess;
}

bool SameName(const std::string& a, const std::string& b)
{
    size_t ea = a.find('='), eb = b.find('=');
    return ea != std::string::npos && eb != std::string::npos &&
           lstrcmpiA(a.substr(0, ea).c_str(), b.substr(0, eb).c_str()) == 0;
}

}  // namespace

HANDLE StartProgram(const std::string& commandLine, const std::string& folder)
{
    return Start(commandLine, folder, NULL);
}

HANDLE StartProgramWith(const std::string& commandLine, const std::string& folder,
                        const std::vector<std::string>& variables)
{
    std::vector<std::string> entries = variables;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += strlen(p) + 1) {
        std::string entry = p;
        bool replaced = false;
        for (const std::string& variable : variables)
            replaced = replaced || SameName(entry, variable);
        if (!replaced)
            entries.push_back(entry);
    }
    FreeEnvironmentStringsA(block);
    std::string environment;
    for (const std::string& entry : entries)
        environment += entry + std::string(1, '\0');
    environment.push_back('\0');
    return Start(commandLine, folder, &environment[0]);
}

RunResult WaitProgram(HANDLE process, DWORD startTick, DWORD timeoutMs)
{
    RunResult result = {process != NULL, false, 0, 0};
    if (!process)
        return result;
    result.finished = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    result.elapsedMs = GetTickCount() - startTick;
    GetExitCodeProcess(process, &result.exitCode);
    return result;
}

RunResult RunProgram(const std::string& commandLine, const std::string& folder,
                     DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HANDLE process = StartProgram(commandLine, folder);
    RunResult result = WaitProgram(process, start, timeoutMs);
    if (process) {
        if (!result.finished)
            TerminateProcess(process, 1);
        CloseHandle(process);
    }
    return result;
}

std::vector<DWORD> ProcessIds(const std::string& fileName)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static bool Query(HKEY root, const std::string& path, const std::string& name, DWORD* type,
                  std::string* bytes)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), NULL, type, NULL, &size);
    if (status == ERROR_SUCCESS && bytes) {
        bytes->assign(size, '\0');
        status = RegQueryValueExA(key, name.c_str(), NULL, type, (BYTE*)&(*bytes)[0], &size);
        bytes->resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name)
{
    DWORD type;
    return Query(root, path, name, &type, NULL);
}

std::string RegRaw(HKEY root, const std::string& path, const std::string& name)
{
    DWORD type;
    std::string bytes;
    if (!Query(root, path, name, &type, &bytes))
        return "<missing>";
    return bytes;
}

std::string RegText(HKEY root, const std::string& path, const std::string& name)
{
    std::string bytes = RegRaw(root, path, name);
    if (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

DWORD RegType(HKEY root, const std::string& path, const std::string& name)
{
    DWORD type = REG_NONE;
    if (!Query(root, path, name, &type, NULL))
        return (DWORD)-1;
    return type;
}

void DeleteTree(HKEY root, const std::string& path)
{
    // Relative opens below a handle: no limit on the length of the whole path.
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

void DeleteValue(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

void DeleteEmptyKeys(HKEY root, const std::string& path)
{
    for (std::string key = path; !key.empty();) {
        HKEY opened;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            DWORD subkeys = 1, values = 1;
            LONG status = RegQueryInfoKeyA(opened, NULL, NULL, NULL, &subkeys, NULL, NULL,
                                           &values, NULL, NULL, NULL, NULL);
            RegCloseKey(opened);
            if (status != ERROR_SUCCESS || subkeys || values ||
                RegDeleteKeyA(root, key.c_str()) != ERROR_SUCCESS)
                return;
        }
        size_t cut = key.rfind('\\');
        key = cut == std::string::npos ? std::string() : key.substr(0, cut);
    }
}

void SetText(HKEY root, const std::string& path, const std::string& name, const std::string& text)
{
    SetRaw(root, path, name, REG_SZ, Sz(text));
}

namespace {

std::string Describe(const std::string& name, DWORD type, const std::string& data)
{
    std::string line = "  " + (name.empty() ? std::string("@") : name) + " = ";
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text = data;
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        else
            line += "(unterminated) ";
        return line + (type == REG_SZ ? "REG_SZ \"" : "REG_EXPAND_SZ \"") + text + "\"";
    }
    if (type == REG_DWORD && data.size() == 4)
        return line + "REG_DWORD " + std::to_string(*(const DWORD*)data.data());
    line += type == REG_BINARY ? "REG_BINARY" : "type " + std::to_string(type);
    for (unsigned char byte : data) {
        char hex[4];
        snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    return line;
}

void ListKey(HKEY root, const std::string& path, std::vector<std::string>* lines)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines->push_back("[" + path + "]");
    std::vector<std::string> values;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD nameLength = sizeof name;
        BYTE data[2048];
        DWORD size = sizeof data;
        DWORD type;
        if (RegEnumValueA(key, i, name, &nameLength, NULL, &type, data, &size) != ERROR_SUCCESS)
            break;
        values.push_back(Describe(name, type, std::string((const char*)data, size)));
    }
    std::sort(values.begin(), values.end());
    lines->insert(lines->end(), values.begin(), values.end());
    std::vector<std::string> children;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(key);
    std::sort(children.begin(), children.end());
    for (const std::string& child : children)
        ListKey(root, path + "\\" + child, lines);
}

}  // namespace

std::vector<std::string> RegistryLines(HKEY root, const std::string& path)
{
    std::vector<std::string> lines;
    ListKey(root, path, &lines);
    return lines;
}

std::string SzLine(const std::string& name, const std::string& text)
{
    return Describe(name, REG_SZ, Sz(text));
}

std::string DwordLine(const std::string& name, DWORD number)
{
    return Describe(name, REG_DWORD, std::string((const char*)&number, 4));
}

std::string RegistryLine(HKEY root, const std::string& path, const std::string& name)
{
    if (!ValueExists(root, path, name))
        return "<missing>";
    return Describe(name, RegType(root, path, name), RegRaw(root, path, name));
}

std::string DumpTree(HKEY root, const std::string& path)
{
    std::string out;
    for (const std::string& line : RegistryLines(root, path))
        out += line + "\n";
    return out;
}

void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}

namespace {

// The host's path of a Windows path, through wine's own export.
std::string HostPath(const std::string& path)
{
    typedef char*(CDECL * UnixName)(LPCWSTR);
    UnixName unixName = (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                        "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char* name = unixName(wide);
    std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

}  // namespace

// Starts one of the host's programs. Wine runs it, but reports a failure
// and hands out no handle to wait on, so the caller waits for its effect.
static void StartOnHost(const char* program, const std::string& arguments)
{
    HANDLE process = StartProgram(std::string("Z:\\bin\\") + program + " " + arguments, "");
    if (process)
        CloseHandle(process);
}

// Whether the folder lists the name, whatever it leads to.
static bool Listed(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return search != INVALID_HANDLE_VALUE;
}

static bool Within(DWORD timeoutMs, bool (*done)(const std::string&), const std::string& path,
                   bool wanted)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (done(path) == wanted)
            return true;
        Sleep(20);
    }
    return false;
}

bool MakeHostLink(const std::string& target, const std::string& link)
{
    std::string from = HostPath(target);
    std::string to = HostPath(link);
    if (from.empty() || to.empty())
        return false;
    StartOnHost("ln", "-s \"" + from + "\" \"" + to + "\"");
    return Within(10000, Exists, link, true);
}

bool RemoveOnHost(const std::string& path)
{
    std::string host = HostPath(path);
    if (host.empty())
        return false;
    StartOnHost("rm", "-rf \"" + host + "\"");
    return Within(10000, Listed, path, false);
}

bool DenyKeyAccess(HKEY root, const std::string& path, DWORD rights, REGSAM view)
{
    char text[64];
    if (rights)
        wsprintfA(text, "D:(D;;0x%lx;;;WD)(A;;KA;;;WD)", rights);
    else
        lstrcpyA(text, "D:(A;;KA;;;WD)");
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor,
                                                              NULL))
        return false;
    HKEY key;
    bool set = false;
    if (RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC | view, &key) == ERROR_SUCCESS) {
        set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    return set;
}

void ListTree(const std::string& path, std::string* listing)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        *listing += path + "\\" + name + " " + std::to_string(found.nFileSizeLow) + "\n";
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(path + "\\" + name, listing);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string NativeText(const std::string& path, const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      &key) != ERROR_SUCCESS)
        return "<no key>";
    char text[512] = {};
    DWORD size = sizeof text - 1;
    LONG status = RegQueryValueExA(key, name.c_str(), NULL, NULL, (BYTE*)text, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(text) : "<missing>";
}

std::string FinalPath(const std::string& folder)
{
    HANDLE handle = CreateFileA((folder + "\\").c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    char path[MAX_PATH] = "<cannot open>";
    if (handle != INVALID_HANDLE_VALUE) {
        if (!GetFinalPathNameByHandleA(handle, path, sizeof path, 0))
            lstrcpyA(path, "<unknown>");
        CloseHandle(handle);
    }
    return path;
}
