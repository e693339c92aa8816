#include "driver/ui_driver.h"

#include <shlobj.h>

namespace {

struct Search {
    const std::string* caption;
    int controlId;      // 0: any window
    const std::string* controlText;
    HWND found;
    bool prefix;        // the caption only begins so
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM data)
{
    Search* search = (Search*)data;
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->controlId) {
        HWND control = GetDlgItem(window, search->controlId);
        if (!control || WindowText(control) != *search->controlText)
            return TRUE;
    }
    std::string text = WindowText(window);
    if (text == *search->caption ||
        (search->prefix && text.compare(0, search->caption->size(), *search->caption) == 0)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindShown(const std::string& caption, int controlId = 0,
               const std::string& controlText = std::string(), bool prefix = false)
{
    Search search = {&caption, controlId, &controlText, NULL, prefix};
    EnumWindows(MatchCaption, (LPARAM)&search);
    return search.found;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM data)
{
    if (IsWindowVisible(window))
        ((std::set<HWND>*)data)->insert(window);
    return TRUE;
}

void Pump(DWORD ms)
{
    // Keep this thread's own windows alive while waiting.
    DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while ((int)(end - GetTickCount()) > 0);
}

}  // namespace

HWND WaitForWindow(const std::string& caption, DWORD timeoutMs)
{
    return WaitForDialog(caption, 0, std::string(), timeoutMs);
}

HWND WaitForWindowStarting(const std::string& prefix, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindShown(prefix, 0, std::string(), true);
        if (window || GetTickCount() - start > timeoutMs)
            return window;
        Pump(20);
    }
}

HWND WaitForDialog(const std::string& caption, int controlId, const std::string& controlText,
                   DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindShown(caption, controlId, controlText);
        if (window)
            return window;
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Pump(20);
    }
}

std::set<HWND> VisibleWindows()
{
    std::set<HWND> windows;
    EnumWindows(CollectVisible, (LPARAM)&windows);
    return windows;
}

int CountDialogs(const std::string& caption, int controlId, const std::string& controlText)
{
    int count = 0;
    for (HWND window : VisibleWindows()) {
        HWND control = GetDlgItem(window, controlId);
        if (control && WindowText(window) == caption && WindowText(control) == controlText)
            count++;
    }
    return count;
}

bool WaitForNoWindow(const std::string& caption, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (FindShown(caption)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump(20);
    }
    return true;
}

bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump(20);
    }
    return true;
}

std::string WindowText(HWND window)
{
    char text[4096];
    // WM_GETTEXT reaches into another process as well, with a time limit. A
    // read that went unanswered is no empty text: on a busy machine a program
    // that has just shown a window may be slow to take messages (wine may
    // then count it as hung and fail the read at once), so it is asked again
    // while the window lives.
    DWORD start = GetTickCount();
    for (;;) {
        text[0] = 0;
        DWORD_PTR length = 0;
        if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG,
                                2000, &length))
            return std::string(text, length);
        if (!IsWindow(window) || GetTickCount() - start > 10000)
            return std::string();
        Sleep(20);
    }
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string("<no control>");
}

namespace {

struct Collect {
    HWND parent;
    std::vector<std::string>* texts;
};

BOOL CALLBACK CollectStatic(HWND window, LPARAM data)
{
    Collect* collect = (Collect*)data;
    if (GetParent(window) != collect->parent)
        return TRUE;
    char cls[64];
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        std::string text = WindowText(window);
        if (!text.empty())
            collect->texts->push_back(text);
    }
    return TRUE;
}

}  // namespace

std::vector<std::string> StaticTexts(HWND dialog)
{
    std::vector<std::string> texts;
    Collect collect = {dialog, &texts};
    EnumChildWindows(dialog, CollectStatic, (LPARAM)&collect);
    return texts;
}

std::string MessageBoxText(HWND box)
{
    std::vector<std::string> texts = StaticTexts(box);
    return texts.size() == 1 ? texts[0] : std::string("<") + std::to_string(texts.size()) +
                                              " texts>";
}

bool IsChecked(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

bool IsShown(HWND window)
{
    return IsWindow(window) && IsWindowVisible(window);
}

bool ClickButton(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && PostMessageA(control, BM_CLICK, 0, 0);
}

bool ClickButtonAndWait(HWND dialog, int id, DWORD timeoutMs)
{
    HWND control = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    return control &&
           SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result);
}

bool PressKey(HWND window, UINT virtualKey)
{
    return PostMessageA(window, WM_KEYDOWN, virtualKey, 1) &&
           PostMessageA(window, WM_KEYUP, virtualKey, 0xC0000001);
}

BoxAnswer AnswerMessageBox(const std::string& caption, int button, DWORD timeoutMs)
{
    BoxAnswer answer = {false, std::string()};
    HWND box = WaitForWindow(caption, timeoutMs);
    if (!box)
        return answer;
    answer.found = true;
    answer.text = MessageBoxText(box);
    if (!ClickButton(box, button))
        PostMessageA(box, WM_COMMAND, button, 0);
    Eventually([&] { return !IsShown(box); }, 10000);
    return answer;
}

AnsweredRun RunAnswering(const std::string& commandLine, const std::string& folder,
                         const std::string& caption, int button, DWORD timeoutMs)
{
    AnsweredRun answered;
    DWORD start = GetTickCount();
    HANDLE process = StartProgram(commandLine, folder);
    answered.box = AnswerMessageBox(caption, button, timeoutMs);
    answered.run = WaitProgram(process, start, timeoutMs);
    if (process)
        CloseHandle(process);
    return answered;
}

RunResult RunRecordingWindows(const std::string& commandLine, const std::string& folder,
                              const std::vector<std::string>& variables, DWORD settleMs,
                              std::vector<std::string>* windows,
                              const std::function<bool()>& done)
{
    std::set<HWND> before = VisibleWindows();
    DWORD start = GetTickCount();
    HANDLE process = StartProgramWith(commandLine, folder, variables);
    RunResult run = {process != NULL, false, 0, 0};
    DWORD ended = 0;
    while (process && GetTickCount() - start < 30000 + settleMs) {
        for (HWND window : VisibleWindows())
            if (before.insert(window).second)
                windows->push_back(WindowText(window));
        if (!ended && WaitForSingleObject(process, 0) == WAIT_OBJECT_0 && (!done || done())) {
            run.finished = true;
            run.elapsedMs = GetTickCount() - start;
            ended = GetTickCount();
        }
        if (ended && GetTickCount() - ended >= settleMs)
            break;
        Sleep(10);
    }
    if (process) {
        GetExitCodeProcess(process, &run.exitCode);
        CloseHandle(process);
    }
    return run;
}

namespace {

const UINT ShellChange = WM_APP + 1;

LRESULT CALLBACK CountAssociationChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ShellChange && (lParam & SHCNE_ASSOCCHANGED))
        SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

AssociationWatch::AssociationWatch()
{
    WNDCLASSA type = {};
    type.lpfnWndProc = CountAssociationChanges;
    type.hInstance = GetModuleHandleA(NULL);
    type.lpszClassName = "LumbexAssociationWatch";
    RegisterClassA(&type);
    window = CreateWindowA(type.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                           type.hInstance, NULL);
    // Every item: no item list to match.
    SHChangeNotifyEntry everything = {NULL, TRUE};
    registration = SHChangeNotifyRegister(window, SHCNRF_InterruptLevel | SHCNRF_ShellLevel,
                                          SHCNE_ASSOCCHANGED, ShellChange, 1, &everything);
}

AssociationWatch::~AssociationWatch()
{
    if (registration)
        SHChangeNotifyDeregister(registration);
    DestroyWindow(window);
}

int AssociationWatch::Told() const
{
    return registration ? (int)GetWindowLongPtrA(window, GWLP_USERDATA) : -1;
}

bool SaveScreenshot(HWND window, const std::string& path)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    DWORD imageSize = stride * (DWORD)height;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    std::string file((const char*)&header, sizeof header);
    file.append((const char*)&info.bmiHeader, sizeof info.bmiHeader);
    file.append((const char*)bits, imageSize);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(out, file.data(), (DWORD)file.size(), &written, NULL);
    CloseHandle(out);
    return written == file.size();
}
