// Reading "Uninstall.lst": one entry per line. Free of <windows.h>, so that
// it builds natively as well (fuzzers).
#ifndef LUMBEX_RESOURCES_LIST_LINE_H
#define LUMBEX_RESOURCES_LIST_LINE_H

#include <stddef.h>

// Capacity of the line buffer: a line holds at most 519 bytes with its line feed.
const size_t ListLineCapacity = 520;

// The bytes of a list, read through a buffer from wherever they lie: a file
// for the tool, memory for the fuzzers. refill puts the next bytes into
// buffer and sets length (false at the end or on a failure); rewind goes
// back to the first byte.
struct ListSource {
    bool (*refill)(ListSource* source);
    bool (*rewind)(ListSource* source);
    void* handle;
    size_t offset;              // the memory source's own
    unsigned char buffer[512];
    size_t length;
    size_t position;
};

// Back to the list's first byte; false when that failed.
bool RewindList(ListSource* list);

// The list in a file, opened for reading (list_file.cpp, not built for the
// fuzzers); false when it cannot be opened. Closed with CloseListFile.
bool OpenListFile(const char* path, ListSource* list);
void CloseListFile(ListSource* list);

// Strips the trailing run of blanks and control bytes (0x01-0x20, 0x7F) in place.
// Leading bytes and bytes from 0x80 up are never touched.
void TrimTrailingControls(char* line);

// Reads up to and including the next line feed, at most cap - 1 bytes, and
// zero-terminates. Returns the number of bytes read; 0 at the end of the
// list. *holdsZero tells whether a zero byte was among them.
size_t ReadListPiece(ListSource* list, char* line, size_t cap, bool* holdsZero);

// The next entry of the list, trimmed and not empty; false at the end of the
// file. A line longer than the buffer or holding a zero byte names nothing
// that the buffer could carry whole, so all of it is passed over.
bool ReadListEntry(ListSource* list, char* line, size_t cap);

#endif
