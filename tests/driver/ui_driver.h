// A small Win32 UI driver for tests: finds windows by caption, reads what the
// user would see, and presses buttons, in this process or another one.
#ifndef LUMBEX_TESTS_UI_DRIVER_H
#define LUMBEX_TESTS_UI_DRIVER_H

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "driver/sandbox.h"

// A visible top-level window with exactly this caption; NULL after the timeout.
HWND WaitForWindow(const std::string& caption, DWORD timeoutMs);
// A visible top-level window whose caption begins with prefix.
HWND WaitForWindowStarting(const std::string& prefix, DWORD timeoutMs);
// The same for a window that also has a child control with this id and text:
// tells apart dialogs that share a caption.
HWND WaitForDialog(const std::string& caption, int controlId, const std::string& controlText,
                   DWORD timeoutMs);
// Every visible top-level window, of any process.
std::set<HWND> VisibleWindows();
// How many of them WaitForDialog would find now.
int CountDialogs(const std::string& caption, int controlId, const std::string& controlText);
// True once no visible top-level window has this caption.
bool WaitForNoWindow(const std::string& caption, DWORD timeoutMs);

// Polls (keeping this thread's windows alive) until the condition holds;
// false after the timeout.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
// Non-empty texts of the STATIC children, in child order.
std::vector<std::string> StaticTexts(HWND dialog);
// The message of a message box (its one non-empty static text).
std::string MessageBoxText(HWND box);

bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsShown(HWND window);
// Posts a click, so that a button which opens a modal loop does not block us.
bool ClickButton(HWND dialog, int id);
// Clicks and returns once the dialog has handled the click, so that
// whatever the click starts has started; false after the timeout.
bool ClickButtonAndWait(HWND dialog, int id, DWORD timeoutMs = 10000);
bool PressKey(HWND window, UINT virtualKey);

// Waits for a message box, reads its text and presses the button; returns
// once the box has gone, so that the next box with its caption is not it.
struct BoxAnswer {
    bool found;
    std::string text;
};
BoxAnswer AnswerMessageBox(const std::string& caption, int button, DWORD timeoutMs);

// Starts commandLine in folder, answers its message box with this caption
// and waits for the program to end.
struct AnsweredRun {
    BoxAnswer box;
    RunResult run;
};
AnsweredRun RunAnswering(const std::string& commandLine, const std::string& folder,
                         const std::string& caption, int button, DWORD timeoutMs = 15000);

// Starts commandLine in folder with these "NAME=value" variables, and
// records the caption of every visible top-level window of any process
// that shows up until the run has ended, done() holds, and settleMs more
// have passed: what a deployment tool's user would have seen.
RunResult RunRecordingWindows(const std::string& commandLine, const std::string& folder,
                              const std::vector<std::string>& variables, DWORD settleMs,
                              std::vector<std::string>* windows,
                              const std::function<bool()>& done = std::function<bool()>());

// A hidden window of this thread registered with the shell for changes of
// file types (SHCNE_ASSOCCHANGED); the count of those it was told of. The
// thread must pump messages (Eventually does).
class AssociationWatch {
public:
    AssociationWatch();
    ~AssociationWatch();
    int Told() const;

private:
    HWND window;
    ULONG registration;
};

// Saves what the screen shows of the window as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

#endif
