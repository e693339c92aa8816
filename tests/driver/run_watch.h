// Several runs of a program watched at once: every window they show is read
// and answered, the platform's crash reports are caught, and runs that do
// not end in time are ended.
#ifndef LUMBEX_TESTS_RUN_WATCH_H
#define LUMBEX_TESTS_RUN_WATCH_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct WatchedRun {
    std::string label;
    HANDLE process = NULL;
    DWORD id = 0;
    DWORD started = 0;
    // Pressed in each window the run shows: the first of these that the
    // window has as a control, else the first sent as a command.
    std::vector<int> answers = {IDYES, IDOK};
    std::vector<std::string> windows;   // "caption: text" of each, in order
    bool finished = false;
    DWORD exitCode = 0;
    DWORD elapsedMs = 0;
};

struct WatchReport {
    std::vector<std::string> crashes;   // the platform's crash dialogs
    std::vector<std::string> strays;    // windows of other processes with a caption watched for
    DWORD elapsedMs = 0;
};

// Starts commandLine in folder, with the given "NAME=value" variables set
// and its output going nowhere.
bool StartRun(WatchedRun* run, const std::string& commandLine, const std::string& folder,
              const std::vector<std::string>& variables = std::vector<std::string>());

// Watches until every run has ended and done() holds, or until timeoutMs.
// Windows of other processes captioned like one of strayCaptions are read
// and closed with OK. Runs still going at the end are terminated (and show
// finished == false); all handles are closed.
void WatchRuns(std::vector<WatchedRun>* runs, const std::vector<std::string>& strayCaptions,
               DWORD timeoutMs, WatchReport* report,
               const std::function<bool()>& done = std::function<bool()>());

#endif
