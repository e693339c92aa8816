#include "uninstall.h"

#include "../resources/process.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "script_text.h"

static const char ScriptName[] = "Uninstall.Kez.Bat";

// Written by WriteRemovalScript, started by StartRemovalScript: the
// temporary folder (ending in a backslash) and the script in it.
static char ScriptFolder[MAX_PATH];
static char ScriptPath[MAX_PATH];

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
    ScriptPiece first = PlatformId == PlatformWindows95 ? ScriptFirstLineStarted : ScriptFirstLine;
    if (!WritePiece(file, first, e, f, s))
        return false;
    for (int i = 0; i < ScriptAttempts; i++)
        if (!WritePiece(file, ScriptAttempt, e, f, s))
            return false;
    return WritePiece(file, SilentMode ? ScriptSilentTail : ScriptTail, e, f, s);
}

bool WriteRemovalScript(const char* executablePath)
{
    ScriptPath[0] = 0;
    char folder[MAX_PATH];
    if (!TempFolderPath(ScriptFolder, sizeof ScriptFolder) ||
        !CurrentFolderPath(folder, sizeof folder) ||
        !TextFormat(ScriptPath, sizeof ScriptPath, "%s%s", ScriptFolder, ScriptName)) {
        ScriptPath[0] = 0;
        return false;
    }
    HANDLE file = CreateFileA(ScriptPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ScriptPath[0] = 0;
        return false;
    }
    bool written = WriteScriptText(file, executablePath, folder);
    if (!CloseHandle(file))
        written = false;
    if (!written) {
        // A cut script could delete or remove paths that it only half names.
        DeleteFileA(ScriptPath);
        ScriptPath[0] = 0;
    }
    return written;
}

// On the NT family the interpreter starts in the script's folder and is
// given the script by its bare name: a "%" in a path on its command line
// would be expanded, with no way to escape it. /d: no AutoRun commands;
// /s: only the outer quotes go; /v:off: "!" stays a letter.
static bool FormatCommandLine(char* commandLine, size_t cap)
{
    char interpreter[MAX_PATH];
    interpreter[0] = 0;
    DWORD length = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter);
    if (length == 0 || length >= sizeof interpreter || !ScriptPath[0])
        return false;
    // Quoted: unquoted, a path with blanks lets the system run another program.
    if (PlatformId == PlatformWindows95)
        return TextFormat(commandLine, cap, "\"%s\" /c \"%s\"", interpreter, ScriptPath);
    return TextFormat(commandLine, cap, "\"%s\" /d /s /v:off /c \"\"%s\"\"", interpreter,
                      ScriptName);
}

void StartRemovalScript()
{
    char commandLine[512];
    bool startable = FormatCommandLine(commandLine, sizeof commandLine);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE nul = INVALID_HANDLE_VALUE;
    bool detached = PlatformId == PlatformWindows95;
    DWORD flags = CREATE_NO_WINDOW;
    const char* directory = ScriptFolder;
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
    // script's folder, or on the Windows 95 family in this one.
    SetCurrentDirectoryA("..");
    if (startable) {
        PROCESS_INFORMATION process;
        CreateProcessA(NULL, commandLine, NULL, NULL, detached, flags, NULL, directory, &startup,
                       &process);
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    ExitProcess(ExitDone);
}

void ShowRemovalWarning()
{
    char path[MAX_PATH];
    if (!OwnExecutablePath(path, sizeof path)) {
        DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
        path[length < sizeof path ? length : sizeof path - 1] = 0;
    }
    // Only shown, never acted on: a cut message is acceptable.
    char text[512];
    TextFormat(text, sizeof text, "%s\n", LoadText(IDS_UNINSTALL_DONE));
    size_t used = TextLength(text);
    TextFormatOne(text + used, sizeof text - used, LoadText(IDS_DELETE_MANUALLY), path);
    MessageBoxA(NULL, text, LoadText(IDS_UNINSTALL_TITLE), MB_ICONINFORMATION | MB_SETFOREGROUND);
}
