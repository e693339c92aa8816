// Command-tail rules, free of <windows.h>.
#ifndef LUMBEX_APP_SWITCHES_H
#define LUMBEX_APP_SWITCHES_H

enum RunMode {
    ModeUninstall,      // no "/" anywhere in the tail
    ModeUninstallSwitch, // "/uninstall": the same, with exit codes that tell how it went
    ModeSetup,          // "/setup"
    ModeWait,           // "/wait"
    ModeWarning,        // "/warning"
    ModeInvalid         // any other tail: refused, nothing run
};

struct CommandChoice {
    RunMode mode;
    // "/s", or another installer's silent switch ("/silent", "/verysilent",
    // "/quiet", "/q", "/qn"), anywhere in the tail, accepted or not: nothing
    // is shown. Each of them counts as "/s" below.
    bool silent;
};

// Switches are told apart by blanks, control bytes, quotation marks or the
// next "/", in any letter case. "/setup" and "/uninstall" come first and may
// be followed by "/s" and "/norestart" in any order; "/wait" stands alone,
// "/warning" may be followed by "/s" (the silent removal script's).
CommandChoice ParseCommandTail(const char* tail);

// The command line without the program's name and the blanks after it, as a
// program's start-up has always handed it over: the name ends at the first
// blank or control byte outside quotation marks, and each quotation mark
// turns them on or off.
const char* CommandTail(const char* commandLine);

#endif
