// The two routines that the compiler calls on its own to fill or copy a
// block (a record cleared with "= {}"); the tool links no C runtime that
// would bring them.
#include <stddef.h>

extern "C" {

// Plain loops: the tool is built so that the compiler never turns a loop
// into a call of one of these.
void* memset(void* block, int value, size_t count)
{
    unsigned char* bytes = (unsigned char*)block;
    while (count--)
        *bytes++ = (unsigned char)value;
    return block;
}

void* memcpy(void* to, const void* from, size_t count)
{
    unsigned char* out = (unsigned char*)to;
    const unsigned char* in = (const unsigned char*)from;
    while (count--)
        *out++ = *in++;
    return to;
}

}
