#include "uninstall.h"

#include "../resources/process.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "script_text.h"

static const char ScriptName[] = "Uninstall.Kez.Bat";
// Names tried for the script's folder: one that exists already may be a
// trap laid by someone else, and is left alone.
const int FolderTries = 64;

// Written by WriteRemovalScript, started by StartRemovalScript: the folder
// made for this run in the temporary folder, and the script in it.
static char ScriptFolder[MAX_PATH];
static char ScriptPath[MAX_PATH];

// Only the token's owner, the system and the administrators have any right
// on the script's folder and the script, so that in a temporary folder
// where every user may create files nobody else can plant or rewrite a line
// that the interpreter runs with the tool's rights. An elevated token's
// owner is the administrators' group: the same user's programs that run
// without elevation share its account, but not that group, nor the high
// integrity level that the label asks of every writer.
struct WellKnownSid {
    BYTE revision;
    BYTE count;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD rids[2];
};
static const WellKnownSid LocalSystem = {SID_REVISION, 1, {SECURITY_NT_AUTHORITY},
                                         {SECURITY_LOCAL_SYSTEM_RID, 0}};
static const WellKnownSid Administrators = {SID_REVISION, 2, {SECURITY_NT_AUTHORITY},
                                            {SECURITY_BUILTIN_DOMAIN_RID,
                                             DOMAIN_ALIAS_RID_ADMINS}};

// A system access list of one entry: the high integrity label, no write
// from below. Made by hand: AddMandatoryAce is missing before Vista, where
// no token is elevated.
alignas(4) static const BYTE HighLabel[] = {
    ACL_REVISION, 0, 28, 0, 1, 0, 0, 0,                 // the list: size, one entry
    SYSTEM_MANDATORY_LABEL_ACE_TYPE, 0, 20, 0,          // the entry: size
    SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, 0, 0, 0,
    SID_REVISION, 1, 0, 0, 0, 0, 0, 16,                 // S-1-16-12288
    0x00, 0x30, 0, 0};

// Fails on systems before Vista, which know no elevation: not elevated.
static bool Elevated(HANDLE token)
{
    DWORD elevated = 0;
    DWORD needed;
    return GetTokenInformation(token, TokenElevation, &elevated, sizeof elevated, &needed) &&
           elevated;
}

bool MakeScriptAccess(ScriptAccess* access)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD needed = 0;
    bool owned = GetTokenInformation(token, TokenOwner, access->ownerRoom,
                                     sizeof access->ownerRoom, &needed);
    bool elevated = Elevated(token);
    CloseHandle(token);
    PACL list = (PACL)access->list;
    const PSID accounts[] = {(PSID)&LocalSystem, (PSID)&Administrators, access->owner.Owner};
    if (!owned || !InitializeAcl(list, sizeof access->list, ACL_REVISION))
        return false;
    // Elevated, the owner is the administrators' group, listed already.
    for (int i = 0; i < (elevated ? 2 : 3); i++)
        if (!AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, accounts[i]))
            return false;
    // Filled in as InitializeSecurityDescriptor and its setters would:
    // systems before Windows 2000 lack SetSecurityDescriptorControl (and
    // ignore the bit). Protected: nothing that the temporary folder hands
    // down is added. Elevated, the administrators own what is made.
    SECURITY_DESCRIPTOR* descriptor = &access->descriptor;
    *descriptor = {SECURITY_DESCRIPTOR_REVISION, 0, SE_DACL_PRESENT | SE_DACL_PROTECTED, NULL,
                   NULL, NULL, list};
    if (elevated) {
        descriptor->Control |= SE_SACL_PRESENT;
        descriptor->Owner = (PSID)&Administrators;
        descriptor->Sacl = (PACL)HighLabel;
    }
    access->attributes.nLength = sizeof access->attributes;
    access->attributes.lpSecurityDescriptor = descriptor;
    access->attributes.bInheritHandle = FALSE;
    return true;
}

// Created, never opened.
bool MakeOwnFolder(const char* base, SECURITY_ATTRIBUTES* security, char* made)
{
    DWORD first = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int i = 0; i < FolderTries; i++) {
        char name[16];
        char folder[MAX_PATH];
        if (!TextFormat(name, sizeof name, "Lumbex-%08u", (first + i * 7919u) % 100000000u) ||
            !TextFormat(folder, sizeof folder, "%s%s", base, name))
            return false;
        if (CreateDirectoryA(folder, security)) {
            TextCopy(made, MAX_PATH, folder);
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// Only what this run made: the folder was new, and nobody else may write
// in it.
static void RemoveScript()
{
    if (ScriptPath[0])
        DeleteFileA(ScriptPath);
    if (ScriptFolder[0])
        RemoveDirectoryA(ScriptFolder);
    ScriptPath[0] = 0;
    ScriptFolder[0] = 0;
}

static bool WritePiece(HANDLE file, ScriptPiece piece, const char* executable,
                       const char* folder, const char* script)
{
    char text[ScriptTextCapacity];
    if (!FormatScriptPiece(text, sizeof text, piece, executable, folder, script))
        return false;
    DWORD length = (DWORD)TextLength(text);
    DWORD written = 0;
    return WriteFile(file, text, length, &written, NULL) && written == length;
}

// The interpreter reads the script in the OEM code page, so every path in
// it is written in that code page, or in its short form where the OEM code
// page cannot hold it: a look-alike letter would name another file.
static bool WriteScriptText(HANDLE file, const char* executable, const char* folder)
{
    char e[MAX_PATH];
    char f[MAX_PATH];
    char s[MAX_PATH];
    if (!OemPathOf(executable, e, sizeof e) || !OemPathOf(folder, f, sizeof f) ||
        !OemPathOf(ScriptPath, s, sizeof s))
        return false;
    bool ninetyFive = PlatformId == PlatformWindows95;
    if (!WritePiece(file, ninetyFive ? ScriptFirstLineStarted : ScriptFirstLine, e, f, s))
        return false;
    for (int i = 0; i < ScriptAttempts; i++)
        if (!WritePiece(file, ScriptAttempt, e, f, s))
            return false;
    if (!WritePiece(file, SilentMode ? ScriptSilentTail : ScriptTail, e, f, s))
        return false;
    return !ninetyFive || WritePiece(file, ScriptSelfDeletion, e, f, s);
}

bool WriteRemovalScript(const char* executablePath)
{
    ScriptPath[0] = 0;
    ScriptFolder[0] = 0;
    ScriptAccess access;
    SECURITY_ATTRIBUTES* security = NULL;
    // The Windows 95 family keeps no access lists.
    if (PlatformId != PlatformWindows95) {
        if (!MakeScriptAccess(&access))
            return false;
        security = &access.attributes;
    }
    // With its closing backslash: "rd" would take "...\Lumbex \" without it
    // for "...\Lumbex", another folder.
    char temp[MAX_PATH];
    char folder[MAX_PATH];
    if (!TempFolderPath(temp, sizeof temp) || !CurrentFolderPath(folder, sizeof folder) ||
        !AppendBackslash(folder, sizeof folder) || !MakeOwnFolder(temp, security, ScriptFolder))
        return false;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (TextFormat(ScriptPath, sizeof ScriptPath, "%s\\%s", ScriptFolder, ScriptName))
        file = CreateFileA(ScriptPath, GENERIC_WRITE, 0, security, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ScriptPath[0] = 0;
        RemoveScript();
        return false;
    }
    bool written = WriteScriptText(file, executablePath, folder);
    if (!CloseHandle(file))
        written = false;
    // A cut script could delete or remove paths that it only half names.
    if (!written)
        RemoveScript();
    Changed();
    return written;
}

// The interpreter by its full path, so that no search can find a planted
// one first: the system's "cmd.exe". On the Windows 95 family, where every
// user may change every folder anyway, "COMSPEC" when it names a program
// right in the Windows or the system folder (as "C:\WINDOWS\COMMAND.COM"
// does), else the Windows folder's "COMMAND.COM".
static bool InterpreterPath(char* path, size_t cap)
{
    if (PlatformId != PlatformWindows95)
        return SystemFilePath(path, cap, "cmd.exe");
    DWORD length = GetEnvironmentVariableA("COMSPEC", path, (DWORD)cap);
    if (length == 0 || length >= cap)
        path[0] = 0;
    const char* name = FileNamePart(path);
    char folder[MAX_PATH];
    for (int system = 0; path[0] && system < 2; system++) {
        UINT found = system ? GetSystemDirectoryA(folder, sizeof folder)
                            : GetWindowsDirectoryA(folder, sizeof folder);
        if (found > 0 && found < sizeof folder && AppendBackslash(folder, sizeof folder) &&
            TextStartsNoCase(path, folder) && name == path + TextLength(folder) && *name)
            return true;
    }
    length = GetWindowsDirectoryA(path, (UINT)cap);
    return length > 0 && length < cap && AppendBackslash(path, cap) &&
           TextAppend(path, cap, "COMMAND.COM");
}

// On the NT family the interpreter starts in the system folder, a local
// folder that it cannot lose and that the system owns, and is given the
// script by its full path, in a form without "%". Once the script has
// ended, the same command line deletes it and its folder: the interpreter
// reads the script again before every line, and would find it gone. /d: no
// AutoRun commands; /s: only the outer quotes go; /v:off: "!" stays a
// letter.
static bool FormatCommandLine(char* interpreter, char* commandLine, size_t cap)
{
    if (!ScriptPath[0] || !InterpreterPath(interpreter, MAX_PATH))
        return false;
    if (PlatformId == PlatformWindows95)
        return TextFormat(commandLine, cap, "\"%s\" /c \"%s\"", interpreter, ScriptPath);
    char folder[MAX_PATH];
    char script[MAX_PATH];
    return CommandLinePathOf(ScriptFolder, folder, sizeof folder) &&
           TextFormat(script, sizeof script, "%s\\%s", folder, ScriptName) &&
           TextFormat(commandLine, cap,
                      "\"%s\" /d /s /v:off /c \"\"%s\" & del \"%s\" & rd \"%s\"\"", interpreter,
                      script, script, folder);
}

bool StartRemovalScript()
{
    char interpreter[MAX_PATH];
    char commandLine[3 * MAX_PATH + 100];
    interpreter[0] = 0;
    bool startable = FormatCommandLine(interpreter, commandLine, sizeof commandLine);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE nul = INVALID_HANDLE_VALUE;
    bool detached = PlatformId == PlatformWindows95;
    DWORD flags = CREATE_NO_WINDOW;
    // The interpreter, and the console host that it brings along, start in
    // the system folder: a process's current folder cannot be removed, and
    // one on a network path is refused.
    char system[MAX_PATH];
    TextCopy(system, sizeof system, interpreter);
    *FileNamePart(system) = 0;
    const char* directory = system;
    if (detached) {
        // Inheritable, or the interpreter would get no standard handles at all.
        SECURITY_ATTRIBUTES inherit;
        inherit.nLength = sizeof inherit;
        inherit.lpSecurityDescriptor = NULL;
        inherit.bInheritHandle = TRUE;
        nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                          NULL);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
        flags = DETACHED_PROCESS;
        directory = NULL;
    }

    ReleaseLanguageModule();
    // The interpreter must not hold the install folder: it starts in the
    // system folder, or on the Windows 95 family in this one.
    SetCurrentDirectoryA("..");
    PROCESS_INFORMATION process;
    bool started = startable && CreateProcessA(interpreter, commandLine, NULL, NULL, detached,
                                               flags, NULL, directory, &startup, &process);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
    RemoveScript();
    return false;
}
