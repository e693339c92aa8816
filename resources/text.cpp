#include "text.h"

size_t TextLength(const char* text)
{
    size_t n = 0;
    while (text[n])
        n++;
    return n;
}

bool TextCopy(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return false;
    dst[0] = 0;
    return TextAppend(dst, cap, src);
}

bool TextAppend(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return false;
    size_t n = 0;
    while (n < cap && dst[n])
        n++;
    if (n == cap) {             // not terminated inside cap: repair, refuse
        dst[cap - 1] = 0;
        return false;
    }
    while (*src) {
        if (n + 1 >= cap) {
            dst[n] = 0;
            return false;
        }
        dst[n++] = *src++;
    }
    dst[n] = 0;
    return true;
}

static bool PutChar(char* dst, size_t cap, size_t* n, char c)
{
    if (*n + 1 >= cap)
        return false;
    dst[(*n)++] = c;
    dst[*n] = 0;
    return true;
}

static bool PutNumber(char* dst, size_t cap, size_t* n, unsigned long value,
                      bool negative, bool zeroPad, unsigned width)
{
    char digits[12];
    unsigned count = 0;
    do {
        digits[count++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    unsigned length = count + (negative ? 1 : 0);
    if (!zeroPad)
        for (; width > length; width--)
            if (!PutChar(dst, cap, n, ' '))
                return false;
    if (negative && !PutChar(dst, cap, n, '-'))
        return false;
    if (zeroPad)
        for (; width > length; width--)
            if (!PutChar(dst, cap, n, '0'))
                return false;
    while (count)
        if (!PutChar(dst, cap, n, digits[--count]))
            return false;
    return true;
}

bool TextFormatV(char* dst, size_t cap, const char* format, va_list args)
{
    if (cap == 0)
        return false;
    size_t n = 0;
    dst[0] = 0;
    for (const char* p = format; *p; p++) {
        if (*p != '%') {
            if (!PutChar(dst, cap, &n, *p))
                return false;
            continue;
        }
        p++;
        if (*p == '%') {
            if (!PutChar(dst, cap, &n, '%'))
                return false;
            continue;
        }
        bool zeroPad = false;
        if (*p == '0') {
            zeroPad = true;
            p++;
        }
        unsigned width = 0;
        while (*p >= '0' && *p <= '9') {
            if (width > 64)
                return false;
            width = width * 10 + (unsigned)(*p++ - '0');
        }
        if (*p == 's') {
            const char* s = va_arg(args, const char*);
            while (*s)
                if (!PutChar(dst, cap, &n, *s++))
                    return false;
        } else if (*p == 'd' || *p == 'i') {
            long v = va_arg(args, int);
            unsigned long magnitude = v < 0 ? 0UL - (unsigned long)v : (unsigned long)v;
            if (!PutNumber(dst, cap, &n, magnitude, v < 0, zeroPad, width))
                return false;
        } else if (*p == 'u') {
            if (!PutNumber(dst, cap, &n, va_arg(args, unsigned), false, zeroPad, width))
                return false;
        } else {
            return false;       // unknown conversion or a lone "%" at the end
        }
    }
    return true;
}

bool TextFormat(char* dst, size_t cap, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    bool fit = TextFormatV(dst, cap, format, args);
    va_end(args);
    return fit;
}

bool IsSingleStringFormat(const char* text)
{
    int strings = 0;
    for (const char* p = text; *p; p++) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            p++;
        } else if (p[1] == 's') {
            strings++;
            p++;
        } else {
            return false;
        }
    }
    return strings == 1;
}

bool IsSingleNumberFormat(const char* text)
{
    int numbers = 0;
    for (const char* p = text; *p; p++) {
        if (*p != '%')
            continue;
        p++;
        if (*p == '%')
            continue;
        while (*p >= '0' && *p <= '9')
            p++;
        if (*p != 'd' && *p != 'i' && *p != 'u')
            return false;
        numbers++;
    }
    return numbers == 1;
}

bool TextFormatOne(char* dst, size_t cap, const char* text, const char* arg)
{
    if (IsSingleStringFormat(text))
        return TextFormat(dst, cap, text, arg);
    return TextCopy(dst, cap, text) && TextAppend(dst, cap, " ") &&
           TextAppend(dst, cap, arg);
}

static char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

bool TextEqualNoCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++)
        if (UpperAscii(*a) != UpperAscii(*b))
            return false;
    return *a == *b;
}

bool TextStartsNoCase(const char* text, const char* prefix)
{
    for (; *prefix; text++, prefix++)
        if (!*text || UpperAscii(*text) != UpperAscii(*prefix))
            return false;
    return true;
}
