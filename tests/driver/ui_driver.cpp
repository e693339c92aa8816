#include "driver/ui_driver.h"

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
    text[0] = 0;
    // WM_GETTEXT reaches into another process as well, with a time limit.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG,
                             2000, &length))
        return std::string();
    return std::string(text, length);
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
