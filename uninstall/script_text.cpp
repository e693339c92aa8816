#include "script_text.h"

#include "../resources/text.h"

// Room for a 259-byte path in which every byte is a "%".
const size_t EscapedPathCapacity = 520;

static bool EscapePercent(char* escaped, size_t cap, const char* path)
{
    size_t n = 0;
    for (const char* p = path; *p; p++) {
        size_t need = *p == '%' ? 2 : 1;
        if (n + need >= cap)
            return false;
        escaped[n++] = *p;
        if (*p == '%')
            escaped[n++] = '%';
    }
    escaped[n] = 0;
    return true;
}

bool FormatScriptPiece(char* text, size_t cap, ScriptPiece piece, const char* executable,
                       const char* folder, const char* script)
{
    char e[EscapedPathCapacity];
    char f[EscapedPathCapacity];
    char s[EscapedPathCapacity];
    if (!EscapePercent(e, sizeof e, executable) || !EscapePercent(f, sizeof f, folder) ||
        !EscapePercent(s, sizeof s, script))
        return false;

    switch (piece) {
    case ScriptFirstLine:
        return TextFormat(text, cap, "\"%s\" /wait\r\n", e);
    case ScriptFirstLineStarted:
        return TextFormat(text, cap, "start /wait \"%s\" /wait\r\n", e);
    case ScriptAttempt:
        return TextFormat(text, cap, "del \"%s\"\r\nrd \"%s\"\r\nif not exist \"%s\" goto done\r\n",
                          e, f, e);
    case ScriptTail:
        return TextFormat(text, cap, ":done\r\nif exist \"%s\" \"%s\" /warning", e, e);
    case ScriptSilentTail:
        return TextFormat(text, cap, ":done\r\nif exist \"%s\" \"%s\" /warning /s", e, e);
    case ScriptSelfDeletion:
        return TextFormat(text, cap, "\r\ndel \"%s\"", s);
    }
    return false;
}
