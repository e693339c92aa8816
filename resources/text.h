// Bounded texts and path routines. Free of <windows.h> so that they build
// natively as well (fuzzers); LoadText is declared here but lives in loader.cpp.
#ifndef LUMBEX_RESOURCES_TEXT_H
#define LUMBEX_RESOURCES_TEXT_H

#include <stdarg.h>
#include <stddef.h>

size_t TextLength(const char* text);

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

// Paths and lines are read character by character of the ANSI code page: in
// a double-byte code page (932, 936, 949, 950) the second byte of a character
// may be 0x5C, the byte of "\", and must never be taken for one. ranges
// holds pairs of first and last lead byte, ended by a zero (the system's
// CPINFO.LeadByte); until it is set, every byte is a character of its own.
void SetLeadByteRanges(const unsigned char* ranges);
bool IsLeadByte(unsigned char c);
// The next character after p; never steps past the terminating zero.
const char* NextChar(const char* p);
char* NextChar(char* p);

// Appends "\" unless the path already ends in one; false when there is no
// room for it (the path is then unchanged).
bool AppendBackslash(char* path, size_t cap);

// Start of the file-name part: the character after the last "\", "/" or ":".
char* FileNamePart(char* path);
const char* FileNamePart(const char* path);

// The text of a string id from ResourceModule in the next slot of an
// eight-slot ring: valid through the next seven calls. Never null.
const char* LoadText(int id);

// An error box without owner, not in a silent run: the text of textId used
// as a format for argument (see TextFormatOne), captioned with the text of
// captionId.
void ShowError(int captionId, int textId, const char* argument);

#endif
