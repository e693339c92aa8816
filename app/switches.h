// Command-tail rules, free of <windows.h>.
#ifndef LUMBEX_APP_SWITCHES_H
#define LUMBEX_APP_SWITCHES_H

enum RunMode {
    ModeUninstall,      // no "/" anywhere in the tail
    ModeUninstallSwitch, // "/uninstall...": the same, with exit codes that tell how it went
    ModeSetup,          // "/setup..."
    ModeWait,           // "/wait..."
    ModeWarning,        // "/warning..."
    ModeNothing         // a switch that begins none of the above
};

struct CommandChoice {
    RunMode mode;
    bool silent;
};

CommandChoice ParseCommandTail(const char* tail);

// The command line without the program's name and the blanks after it, as a
// program's start-up has always handed it over: the name ends at the first
// blank or control byte outside quotation marks, and each quotation mark
// turns them on or off.
const char* CommandTail(const char* commandLine);

#endif
