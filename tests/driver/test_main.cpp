// Test entry: takes the tool's and the fixtures' Unix paths from CTest and
// turns them into the Windows paths that wine maps on drive Z:.
#include <gtest/gtest.h>

#include <string.h>
#include <windows.h>

#include <string>

std::string TestToolPath;
std::string TestCheckedToolPath;
std::string TestFixtures;

std::string CheckedToolPath()
{
    return TestCheckedToolPath;
}

static std::string WinePath(const char* unixPath)
{
    std::string path = unixPath[0] == '/' ? std::string("Z:") + unixPath : unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The first window of a wine session starts the desktop; a message box
// shown while that is under way can come back at once without showing.
static void WarmUpDesktop()
{
    HWND window = CreateWindowExA(0, "STATIC", "warm-up", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                  NULL, NULL, GetModuleHandleA(NULL), NULL);
    DWORD end = GetTickCount() + 200;
    MSG msg;
    while ((int)(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    DestroyWindow(window);
}

// On a busy machine wine's desktop closed under a running test once a folder
// window of the shell had closed, as if nothing used it any more. A second
// thread of this process stays on the desktop for the process's whole life.
static DWORD WINAPI StayOnDesktop(LPVOID)
{
    CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], "--tool=", 7) == 0)
            TestToolPath = WinePath(argv[i] + 7);
        else if (strncmp(argv[i], "--checked-tool=", 15) == 0)
            TestCheckedToolPath = WinePath(argv[i] + 15);
        else if (strncmp(argv[i], "--fixtures=", 11) == 0)
            TestFixtures = WinePath(argv[i] + 11);
    }
    WarmUpDesktop();
    CloseHandle(CreateThread(NULL, 0, StayOnDesktop, NULL, 0, NULL));
    return RUN_ALL_TESTS();
}
