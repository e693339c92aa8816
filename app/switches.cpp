#include "switches.h"

#include "../resources/text.h"

CommandChoice ParseCommandTail(const char* tail)
{
    CommandChoice choice = {ModeNothing, false};
    const char* first = 0;
    const char* last = 0;
    for (const char* p = tail; *p; p++)
        if (*p == '/') {
            if (!first)
                first = p;
            last = p;
        }
    if (!last) {
        choice.mode = ModeUninstall;
        return choice;
    }
    const char* position = last;
    // A tail that ends in exactly "/s" is silent, and its switch is then the
    // first one of the tail.
    if (TextEqualNoCase(last, "/s")) {
        choice.silent = true;
        position = first;
    }
    if (TextStartsNoCase(position, "/setup"))
        choice.mode = ModeSetup;
    else if (TextStartsNoCase(position, "/uninstall"))
        choice.mode = ModeUninstallSwitch;
    else if (TextStartsNoCase(position, "/wait"))
        choice.mode = ModeWait;
    else if (TextStartsNoCase(position, "/warning"))
        choice.mode = ModeWarning;
    return choice;
}

const char* CommandTail(const char* commandLine)
{
    const char* p = commandLine;
    bool quoted = false;
    while (*p && ((unsigned char)*p > ' ' || quoted)) {
        if (*p == '"')
            quoted = !quoted;
        p = NextChar(p);
    }
    while (*p && (unsigned char)*p <= ' ')
        p++;
    return p;
}
