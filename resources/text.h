// Bounded texts and path routines. Free of <windows.h> so that they build
// natively as well (fuzzers); LoadText is declared here but lives in loader.cpp.
#ifndef LUMBEX_RESOURCES_TEXT_H
#define LUMBEX_RESOURCES_TEXT_H

#include <stdarg.h>
#include <stddef.h>

// Every routine below keeps dst zero-terminated within cap bytes and returns
// false when the whole result did not fit. A false result leaves a cut text in
// dst, which a caller may show but must never act on as a path or key.
bool TextCopy(char* dst, size_t cap, const char* src);
bool TextAppend(char* dst, size_t cap, const char* src);

// printf-like with a deliberately small vocabulary: %s, %d, %i, %u and %%,
// with an optional '0' flag and a width. Any other conversion fails.
bool TextFormat(char* dst, size_t cap, const char* format, ...);
bool TextFormatV(char* dst, size_t cap, const char* format, va_list args);

// True when text, used as a format, consumes exactly one string argument:
// one "%s", no other conversion ("%%" allowed).
bool IsSingleStringFormat(const char* text);

// True when text, used as a format, consumes exactly one int argument:
// one %d, %i or %u (with optional '0' flag and width), nothing else but "%%".
bool IsSingleNumberFormat(const char* text);

// Formats a translatable text that should carry one "%s". A text from outside
// (a language module) that does not is shown as it stands, a blank, then arg.
bool TextFormatOne(char* dst, size_t cap, const char* text, const char* arg);

// ASCII-only, as for the fixed switch and type names compared with it.
bool TextEqualNoCase(const char* a, const char* b);
bool TextStartsNoCase(const char* text, const char* prefix);

// Appends "\" unless the path already ends in one; false when there is no
// room for it (the path is then unchanged).
bool AppendBackslash(char* path, size_t cap);

// Start of the file-name part: the byte after the last "\", "/" or ":".
char* FileNamePart(char* path);
const char* FileNamePart(const char* path);

// The text of a string id from ResourceModule in the next slot of an
// eight-slot ring: valid through the next seven calls. Never null.
const char* LoadText(int id);

#endif
