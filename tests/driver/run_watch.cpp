#include "driver/run_watch.h"

#include <algorithm>
#include <map>
#include <set>

#include "driver/sandbox.h"
#include "driver/ui_driver.h"

namespace {

// Wine's report of an unhandled exception, shown by its debugger.
const char CrashCaption[] = "Program Error";

struct Shown {
    HWND window;
    DWORD process;
    std::string caption;
};

BOOL CALLBACK CollectShown(HWND window, LPARAM data)
{
    if (!IsWindowVisible(window))
        return TRUE;
    Shown shown = {window, 0, WindowText(window)};
    GetWindowThreadProcessId(window, &shown.process);
    ((std::vector<Shown>*)data)->push_back(shown);
    return TRUE;
}

std::string Describe(const Shown& shown)
{
    std::vector<std::string> texts = StaticTexts(shown.window);
    std::string text;
    for (const std::string& part : texts)
        text += (text.empty() ? "" : " | ") + part;
    return shown.caption + ": " + text;
}

void Press(HWND window, const std::vector<int>& answers)
{
    for (int id : answers)
        if (GetDlgItem(window, id)) {
            ClickButton(window, id);
            return;
        }
    PostMessageA(window, WM_COMMAND, answers.empty() ? IDOK : answers[0], 0);
}

void Finish(WatchedRun* run)
{
    if (!run->process)
        return;
    if (!run->finished) {
        run->elapsedMs = GetTickCount() - run->started;
        TerminateProcess(run->process, 1);
        WaitForSingleObject(run->process, 5000);
    }
    GetExitCodeProcess(run->process, &run->exitCode);
    CloseHandle(run->process);
    run->process = NULL;
}

}  // namespace

bool StartRun(WatchedRun* run, const std::string& commandLine, const std::string& folder,
              const std::vector<std::string>& variables)
{
    run->started = GetTickCount();
    run->process = StartProgramWith(commandLine, folder, variables);
    run->id = run->process ? GetProcessId(run->process) : 0;
    return run->process != NULL;
}

void WatchRuns(std::vector<WatchedRun>* runs, const std::vector<std::string>& strayCaptions,
               DWORD timeoutMs, WatchReport* report, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    std::set<HWND> handled;
    // A run's window may show before its caption and texts are set (seen on
    // a busy machine): it is read once it has them, or as it is after 2 s or
    // when the watch ends; one that never had them still counts.
    std::map<HWND, std::pair<DWORD, WatchedRun*>> blank;
    for (;;) {
        std::vector<Shown> shown;
        EnumWindows(CollectShown, (LPARAM)&shown);
        for (const Shown& window : shown) {
            if (handled.count(window.window))
                continue;
            if (window.caption == CrashCaption) {
                handled.insert(window.window);
                report->crashes.push_back(Describe(window));
                Press(window.window, {IDOK});
                continue;
            }
            auto run = std::find_if(runs->begin(), runs->end(), [&](const WatchedRun& r) {
                return r.process && r.id == window.process;
            });
            if (run != runs->end()) {
                if (window.caption.empty() && StaticTexts(window.window).empty()) {
                    auto seen = blank.emplace(window.window, std::make_pair(GetTickCount(), &*run));
                    if (GetTickCount() - seen.first->second.first < 2000)
                        continue;
                }
                handled.insert(window.window);
                run->windows.push_back(Describe(window));
                Press(window.window, run->answers);
            } else if (std::find(strayCaptions.begin(), strayCaptions.end(), window.caption) !=
                       strayCaptions.end()) {
                handled.insert(window.window);
                report->strays.push_back(Describe(window));
                Press(window.window, {IDOK});
            }
        }
        bool running = false;
        for (WatchedRun& run : *runs) {
            if (run.process && !run.finished &&
                WaitForSingleObject(run.process, 0) == WAIT_OBJECT_0) {
                run.finished = true;
                run.elapsedMs = GetTickCount() - run.started;
            }
            running = running || (run.process && !run.finished);
        }
        if (!running && (!done || done()))
            break;
        if (GetTickCount() - start > timeoutMs)
            break;
        Sleep(20);
    }
    for (const auto& seen : blank)
        if (!handled.count(seen.first))
            seen.second.second->windows.push_back(": ");
    for (WatchedRun& run : *runs)
        Finish(&run);
    report->elapsedMs = GetTickCount() - start;
}
