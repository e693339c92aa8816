// Test-side helpers: paths handed over by CTest, sandbox folders in the wine
// prefix, programs started and waited for, files and registry read back.
#ifndef LUMBEX_TESTS_SANDBOX_H
#define LUMBEX_TESTS_SANDBOX_H

#include <windows.h>

#include <string>
#include <vector>

// Windows path of the built Uninstall.exe and of a file below the fixtures folder.
std::string ToolPath();
// The tool built with overrun checks, which stop it at the first overrun
// (test programs only: it is handed over with the tool's path).
std::string CheckedToolPath();
std::string FixturePath(const std::string& relative);

// Where tests save screenshots: build/tests/screenshots\<name> (created).
std::string ScreenshotPath(const std::string& name);

// A fresh, empty folder C:\lumbex-tests\<name> (an older one is removed first,
// once no interpreter runs a removal script any more).
std::string MakeSandbox(const std::string& name);
bool RemoveTree(const std::string& path);

// A symbolic link of the host's file system at link, leading to target (both
// Windows paths): the system shows it as a reparse point when it leads to a
// folder. Made by the host's own "ln", since wine makes no links itself.
bool MakeHostLink(const std::string& target, const std::string& link);
// Removes path on the host: a link itself and nothing that it leads to, a
// folder with all it holds even while a program of wine holds it. A sandbox
// holding links is cleared of them first: the shell's deletion follows them.
bool RemoveOnHost(const std::string& path);

// A text with its terminating zero, as a REG_SZ value stores it.
std::string Sz(const std::string& text);

// This process's temporary folder, without its closing backslash.
std::string TempFolder();
// The removal script that a run wrote into a folder of its own in temp (this
// process's temporary folder when empty): temp\Lumbex-*\Uninstall.Kez.Bat,
// or "" when there is none.
std::string RemovalScript(const std::string& temp = "");
// Whether a run's script folder is still in temp (the script removes it last).
bool ScriptLeft(const std::string& temp = "");
bool ScriptLeftW(const std::wstring& temp);
// Removes what earlier runs left there, once no interpreter runs a script
// any more (30 s at most).
void RemoveScriptsLeft(const std::string& temp = "");

bool WriteBytes(const std::string& path, const std::string& bytes);
// Where the system says a folder (given without its closing backslash)
// lies once open: "\\?\\" and its path; wine drops a trailing blank.
std::string FinalPath(const std::string& folder);
// Every file and folder below path with its size, one per line.
void ListTree(const std::string& path, std::string* listing);
// Writes all bytes into a handle from CreateFile and closes it.
bool WriteAndClose(HANDLE file, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);

struct RunResult {
    bool started;
    bool finished;      // within the timeout
    DWORD exitCode;
    DWORD elapsedMs;
};

// Starts a command line in a folder; the caller closes the handle.
HANDLE StartProgram(const std::string& commandLine, const std::string& folder);
// The same with some variables of this process's environment replaced or
// added, each given as "NAME=value", and with the null device as standard
// input and output.
HANDLE StartProgramWith(const std::string& commandLine, const std::string& folder,
                        const std::vector<std::string>& variables);
RunResult WaitProgram(HANDLE process, DWORD startTick, DWORD timeoutMs);
RunResult RunProgram(const std::string& commandLine, const std::string& folder,
                     DWORD timeoutMs);
// The ids of the running processes of an executable's file name ("notepad.exe").
std::vector<DWORD> ProcessIds(const std::string& fileName);

// Registry read-back through the same 32-bit view as the tool.
bool KeyExists(HKEY root, const std::string& path);
bool ValueExists(HKEY root, const std::string& path, const std::string& name);
std::string RegText(HKEY root, const std::string& path, const std::string& name);
DWORD RegType(HKEY root, const std::string& path, const std::string& name);
std::string RegRaw(HKEY root, const std::string& path, const std::string& name);
void DeleteTree(HKEY root, const std::string& path);
// A missing key or value is passed over.
void DeleteValue(HKEY root, const std::string& path, const std::string& name);
// Deletes the key if it holds nothing, then each key above it left so, up
// to the first that holds something; a missing key is passed over.
void DeleteEmptyKeys(HKEY root, const std::string& path);
// A text of HKEY_LOCAL_MACHINE in the view that the 64-bit shell reads,
// whatever this program's; "<no key>" or "<missing>" where there is none.
std::string NativeText(const std::string& path, const std::string& name);
// A key and everything below it as readable lines, sorted: "[key]" for each
// key, then "  name = TYPE data" for each of its values ("@" for the default
// value; texts quoted, numbers in decimal, bytes in hex). Empty if no key.
std::vector<std::string> RegistryLines(HKEY root, const std::string& path);
// A text's and a number's line as RegistryLines shows it.
std::string SzLine(const std::string& name, const std::string& text);
std::string DwordLine(const std::string& name, DWORD number);
// One value as in RegistryLines, or "<missing>".
std::string RegistryLine(HKEY root, const std::string& path, const std::string& name);
// The same lines in one text, for comparing a tree before and after.
std::string DumpTree(HKEY root, const std::string& path);
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes);
// A REG_SZ value with its terminating zero.
void SetText(HKEY root, const std::string& path, const std::string& name, const std::string& text);
// Denies everyone these rights on an existing key, allowing all others, as
// a locked-down machine may; 0 allows everything again.
bool DenyKeyAccess(HKEY root, const std::string& path, DWORD rights, REGSAM view = 0);

#endif
