#include "switches.h"

#include "../resources/text.h"

// A quotation mark parts switches as a blank does: deployment tools quote
// each switch ("/uninstall" "/s"), and a quoted switch is the same switch.
static bool IsBlank(char c)
{
    return c && ((unsigned char)c <= ' ' || c == '"');
}

static bool WordIs(const char* word, const char* end, const char* name)
{
    return (size_t)(end - word) == TextLength(name) && TextStartsNoCase(word, name);
}

static RunMode ModeOfWord(const char* word, const char* end)
{
    if (WordIs(word, end, "/setup"))
        return ModeSetup;
    if (WordIs(word, end, "/uninstall"))
        return ModeUninstallSwitch;
    if (WordIs(word, end, "/wait"))
        return ModeWait;
    if (WordIs(word, end, "/warning"))
        return ModeWarning;
    return ModeInvalid;
}

// The silent switches of other installers, which administrators bring along.
static bool IsQuiet(const char* word, const char* end)
{
    static const char* const Forms[] = {"/s", "/silent", "/verysilent", "/quiet", "/q", "/qn"};
    for (const char* form : Forms)
        if (WordIs(word, end, form))
            return true;
    return false;
}

CommandChoice ParseCommandTail(const char* tail)
{
    CommandChoice choice = {ModeUninstall, false};
    // The uninstall entries of older versions named the tool without
    // quotation marks, so a blank in the folder leaves a tail of path parts.
    const char* p = tail;
    while (*p && *p != '/')
        p++;
    if (!*p)
        return choice;

    bool valid = true;
    bool first = true;
    RunMode mode = ModeInvalid;
    p = tail;
    for (;;) {
        while (IsBlank(*p))
            p++;
        if (!*p)
            break;
        const char* word = p++;
        while (*p && !IsBlank(*p) && *p != '/')
            p++;
        // The tool never restarts the machine: "/norestart" asks for nothing.
        bool quiet = IsQuiet(word, p);
        if (quiet || WordIs(word, p, "/norestart")) {
            choice.silent = choice.silent || quiet;
            valid = valid && (mode == ModeSetup || mode == ModeUninstallSwitch ||
                              (quiet && mode == ModeWarning));
        } else if (first) {
            mode = ModeOfWord(word, p);
        } else {
            valid = false;
        }
        first = false;
    }
    choice.mode = valid ? mode : ModeInvalid;
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
