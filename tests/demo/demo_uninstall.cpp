#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "demo/demo.h"
#include "driver/installed_state.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"

namespace {

const char* const ProductFiles[] = {"Lumbex.exe", "kezext.dll", "lumbex.hlp", "lumbex.gid",
                                    "Kez.txt", "license.txt", "register.frm",
                                    "Formats\\kez.fmt"};

std::string InFolder(const std::string& name)
{
    return std::string(DemoFolder) + "\\" + name;
}

// What the installer and setup mode leave; whatever the demo's setup part
// already put in place is kept.
void PrepareInstallation()
{
    CreateDirectoryA(InFolder("Formats").c_str(), NULL);
    for (const char* file : ProductFiles)
        if (!Exists(InFolder(file)))
            WriteBytes(InFolder(file), "stand-in");
    // "Formats" comes before its contents: a later pass removes it.
    std::string list = "Formats\r\n";
    for (const char* file : ProductFiles)
        if (std::string(file) != "lumbex.gid")      // the help index goes by its name
            list += std::string(file) + "\r\n";
    WriteBytes(InFolder("Uninstall.lst"), list);

    if (PresentArchiverRegistry().empty()) {
        Show("  (no setup-mode registry entries found: placing what setup mode writes)");
        PlaceSetupRegistry(DemoFolder);
    }
    if (PresentLinks().empty()) {
        Show("  (no shortcuts found: placing stand-ins named as setup mode names them)");
        PlaceLinkStandIns();
    }
}

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

void ShowState(const std::string& when)
{
    Show("  " + when);
    std::string files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InFolder("*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                files += (files.empty() ? "" : " ") + name;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    Show("    install folder:   " +
         (IsFolder(DemoFolder) ? (files.empty() ? "empty" : files) : std::string("gone")));
    Show("    shortcuts:        " + Joined(PresentLinks()));
    std::vector<std::string> registry = PresentArchiverRegistry();
    Show("    registry entries: " + std::to_string(registry.size()) + " of setup mode's");
    Show("    HKCR\\.kez:        \"" + RegText(HKEY_CLASSES_ROOT, ".kez", "") + "\"");
    Show("    removal script:   " + (ScriptLeft() ? RemovalScript() : std::string("none")));
}

}  // namespace

void DemoUninstall()
{
    Show("\nUninstall mode (no switch), as the list of removable programs starts it:");
    PrepareInstallation();
    ShowState("before:");

    DWORD start = GetTickCount();
    HANDLE process = StartProgram(Quoted(DemoTool()), "C:\\");
    HWND box = WaitForWindow("Uninstall Lumbex", 15000);
    if (!box) {
        Show("  no question appeared");
        if (process)
            CloseHandle(process);
        return;
    }
    Sleep(300);
    SaveScreenshot(box, DemoShots + "\\uninstall_question.bmp");
    Show("  asks: \"" + MessageBoxText(box) + "\" -> Yes");
    ClickButton(box, IDYES);
    RunResult run = WaitProgram(process, start, 15000);
    CloseHandle(process);
    Show("  the tool ended after " + std::to_string(run.elapsedMs) + " ms with exit code " +
         std::to_string(run.exitCode));
    ShowState("right after it ended (the script waits for its \"/wait\" run):");

    for (int i = 0; i < 400 && ScriptLeft(); i++)
        Sleep(50);
    Show("  the removal script finished " + std::to_string(GetTickCount() - start) +
         " ms after the start");
    ShowState("after the script:");
}

void ShowInstalledPrograms()
{
    Show("\nThe list of installed programs (wine's \"uninstaller --list\": key|||name):");
    std::string listed = std::string(DemoFolder) + "\\..\\installed.txt";
    RunProgram("cmd.exe /c uninstaller.exe --list > " + Quoted(listed), "C:\\", 20000);
    std::string text = ReadBytes(listed);
    DeleteFileA(listed.c_str());
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            Show("  " + line);
    }
}

void DemoSilentUninstall()
{
    Show("\nUnattended: set up once more, then the entry's \"QuietUninstallString\", run as a "
         "deployment tool runs it:");
    CreateDirectoryA(DemoFolder, NULL);
    if (!CopyFileA(ToolPath().c_str(), DemoTool().c_str(), FALSE) || !PlaceProduct(DemoFolder) ||
        !WriteBytes(InFolder("Uninstall.lst"),
                    "Lumbex.exe\r\nkezext.dll\r\nlicense.txt\r\nregister.frm\r\n")) {
        Show("  cannot place the tool and the product");
        return;
    }
    RunResult setup = RunProgram(Quoted(DemoTool()) + " /setup /s", DemoFolder, 20000);
    CloseFolderWindows("Lumbex");
    std::string quiet = RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString");
    Show("  \"/setup /s\": exit code " + std::to_string(setup.exitCode) + "; the command: " + quiet);
    DWORD start = GetTickCount();
    HANDLE process = StartProgram(quiet, "C:\\");
    RunResult run = WaitProgram(process, start, 20000);
    if (process)
        CloseHandle(process);
    Show("  exit code " + std::to_string(run.exitCode) + " after " + std::to_string(run.elapsedMs) +
         " ms, no question asked");
    for (int i = 0; i < 400 && ScriptLeft(); i++)
        Sleep(50);
    ShowState("after its removal script:");
}
