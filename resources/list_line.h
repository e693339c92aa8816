// Reading "Uninstall.lst": one entry per line. Free of <windows.h>, so that
// it builds natively as well (fuzzers).
#ifndef LUMBEX_UNINSTALL_LIST_LINE_H
#define LUMBEX_UNINSTALL_LIST_LINE_H

#include <stddef.h>
#include <stdio.h>

// Capacity of the line buffer: a line holds at most 519 bytes with its line feed.
const size_t ListLineCapacity = 520;

// Strips the trailing run of blanks and control bytes (0x01-0x20, 0x7F) in place.
// Leading bytes and bytes from 0x80 up are never touched.
void TrimTrailingControls(char* line);

// Reads up to and including the next line feed, at most cap - 1 bytes, and
// zero-terminates. Returns the number of bytes read; 0 at the end of the file.
size_t ReadListPiece(FILE* list, char* line, size_t cap);

// The next entry of the list, trimmed and not empty; false at the end of the
// file. A line longer than the buffer or holding a zero byte names nothing
// that the buffer could carry whole, so all of it is passed over.
bool ReadListEntry(FILE* list, char* line, size_t cap);

#endif
