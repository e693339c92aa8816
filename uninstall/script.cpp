#include "uninstall.h"

#include <stdio.h>
#include <string.h>

#include "../app/app.h"
#include "../resources/text.h"
#include "script_text.h"

// Written by WriteRemovalScript, started by StartRemovalScript.
static char ScriptPath[MAX_PATH];

static bool FindScriptPath(char* path, size_t cap)
{
    DWORD length = GetTempPathA((DWORD)cap, path);
    if (length == 0 || length >= cap)
        return false;
    return AppendBackslash(path, cap) && TextAppend(path, cap, "Uninstall.Kez.Bat");
}

static bool WritePiece(FILE* file, ScriptPiece piece, const char* executable, const char* folder)
{
    char text[ScriptTextCapacity];
    if (!FormatScriptPiece(text, sizeof text, piece, PlatformId, executable, folder, ScriptPath))
        return false;
    size_t length = strlen(text);
    return fwrite(text, 1, length, file) == length;
}

static bool WriteScriptText(FILE* file, const char* executable, const char* folder)
{
    if (!WritePiece(file, ScriptFirstLine, executable, folder))
        return false;
    for (int i = 0; i < ScriptAttempts; i++)
        if (!WritePiece(file, ScriptAttempt, executable, folder))
            return false;
    return WritePiece(file, ScriptTail, executable, folder);
}

bool WriteRemovalScript(const char* executablePath)
{
    ScriptPath[0] = 0;
    char path[MAX_PATH];
    if (!FindScriptPath(path, sizeof path))
        return false;
    char folder[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return false;

    TextCopy(ScriptPath, sizeof ScriptPath, path);
    FILE* file = fopen(ScriptPath, "wb");
    if (!file) {
        ScriptPath[0] = 0;
        return false;
    }
    bool written = WriteScriptText(file, executablePath, folder);
    if (fclose(file) != 0)
        written = false;
    if (!written) {
        // A cut script could delete or remove paths that it only half names.
        DeleteFileA(ScriptPath);
        ScriptPath[0] = 0;
    }
    return written;
}

static bool FormatCommandLine(char* commandLine, size_t cap)
{
    char interpreter[MAX_PATH];
    interpreter[0] = 0;
    DWORD length = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter);
    if (length == 0 || length >= sizeof interpreter || !ScriptPath[0])
        return false;
    // Quoted: unquoted, a path with blanks lets the system run another program.
    return TextFormat(commandLine, cap, "\"%s\" /c \"%s\"", interpreter, ScriptPath);
}

void StartRemovalScript()
{
    char commandLine[512];
    bool startable = FormatCommandLine(commandLine, sizeof commandLine);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE nul = INVALID_HANDLE_VALUE;
    bool detached = PlatformId == 1;
    if (detached) {
        // Inheritable, or the interpreter would get no standard handles at all.
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
        nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                          NULL);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    } else {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }

    ReleaseLanguageModule();
    // The interpreter inherits this directory; it must not hold the install folder.
    SetCurrentDirectoryA("..");
    if (startable) {
        PROCESS_INFORMATION process;
        CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, detached ? DETACHED_PROCESS : 0,
                       NULL, NULL, &startup, &process);
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    ExitProcess(0);
}
