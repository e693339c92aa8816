#include "list_line.h"

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

bool RewindList(ListSource* list)
{
    list->length = 0;
    list->position = 0;
    return list->rewind(list);
}

static int NextByte(ListSource* list)
{
    if (list->position == list->length) {
        list->position = 0;
        list->length = 0;
        if (!list->refill(list) || list->length == 0)
            return -1;
    }
    return list->buffer[list->position++];
}

size_t ReadListPiece(ListSource* list, char* line, size_t cap, bool* holdsZero)
{
    size_t n = 0;
    *holdsZero = false;
    while (n + 1 < cap) {
        int c = NextByte(list);
        if (c < 0)
            break;
        line[n++] = (char)c;
        if (c == 0)
            *holdsZero = true;
        if (c == '\n')
            break;
    }
    if (cap > 0)
        line[n] = 0;
    return n;
}

bool ReadListEntry(ListSource* list, char* line, size_t cap)
{
    bool inLongLine = false;
    for (;;) {
        bool holdsZero;
        size_t n = ReadListPiece(list, line, cap, &holdsZero);
        if (n == 0)
            return false;
        bool goesOn = line[n - 1] != '\n' && n + 1 == cap;
        bool skip = inLongLine || goesOn || holdsZero;
        inLongLine = goesOn;
        if (skip)
            continue;
        TrimTrailingControls(line);
        if (line[0])
            return true;
    }
}
