// The text of the self-removal script "Uninstall.Kez.Bat". Free of
// <windows.h>, so that it builds natively as well (fuzzers).
#ifndef LUMBEX_UNINSTALL_SCRIPT_TEXT_H
#define LUMBEX_UNINSTALL_SCRIPT_TEXT_H

#include <stddef.h>

// The script is written piece by piece: the first line, the attempt block
// ScriptAttempts times, then the tail. On the NT family the command line
// that runs the script deletes it and its folder once it has ended; the
// Windows 95 family's interpreter has no way to, so there the script ends
// by deleting itself.
enum ScriptPiece {
    ScriptFirstLine,
    ScriptFirstLineStarted, // the same through "start /wait" (Windows 95 family)
    ScriptAttempt,
    ScriptTail,
    ScriptSilentTail,       // the tail whose warning shows nothing
    ScriptSelfDeletion      // the last line on the Windows 95 family
};
const int ScriptAttempts = 5;
const size_t ScriptTextCapacity = 1024;

// Formats one piece with the executable E, the install folder F (with its
// closing backslash, or "rd" would remove a folder named without a trailing
// blank or dot) and the script S. The interpreter
// expands "%" even inside quotation marks, so every "%" of a path is written
// as "%%". False, rather than a cut piece, when a path or the piece does not fit.
bool FormatScriptPiece(char* text, size_t cap, ScriptPiece piece, const char* executable,
                       const char* folder, const char* script);

#endif
