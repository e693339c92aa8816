#include "list_line.h"

#include <string.h>

#include "text.h"

static bool IsTrailingControl(unsigned char c)
{
    return (c >= 0x01 && c <= 0x20) || c == 0x7F;
}

// Forwards, so that the second byte of a double-byte character is never
// taken for a control byte of its own.
void TrimTrailingControls(char* line)
{
    char* end = line;
    for (char* p = line; *p;) {
        char* next = NextChar(p);
        if (next - p > 1 || !IsTrailingControl((unsigned char)*p))
            end = next;
        p = next;
    }
    *end = 0;
}

size_t ReadListPiece(FILE* list, char* line, size_t cap)
{
    size_t n = 0;
    while (n + 1 < cap) {
        int c = getc(list);
        if (c == EOF)
            break;
        line[n++] = (char)c;
        if (c == '\n')
            break;
    }
    if (cap > 0)
        line[n] = 0;
    return n;
}

bool ReadListEntry(FILE* list, char* line, size_t cap)
{
    bool inLongLine = false;
    for (;;) {
        size_t n = ReadListPiece(list, line, cap);
        if (n == 0)
            return false;
        bool goesOn = line[n - 1] != '\n' && n + 1 == cap;
        bool skip = inLongLine || goesOn || strlen(line) != n;
        inLongLine = goesOn;
        if (skip)
            continue;
        TrimTrailingControls(line);
        if (line[0])
            return true;
    }
}
