// Setup mode in the demo: a silent run and what it wrote, then an
// interactive run driven like a user would, with screenshots.
#include <windows.h>

#include <shlobj.h>
#include <stdio.h>

#include "demo/demo.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"

namespace {

void ShowTree(const char* rootName, HKEY root, const std::string& path)
{
    std::vector<std::string> lines = RegistryLines(root, path);
    if (lines.empty()) {
        Show(std::string("  ") + rootName + "\\" + path + ": (none)");
        return;
    }
    for (const std::string& line : lines)
        Show(line[0] == '[' ? std::string("  [") + rootName + "\\" + line.substr(1) : "  " + line);
}

void ShowRegistry()
{
    Show("\nRegistry values written by \"/setup /s\" (default choices):");
    ShowTree("HKCU", HKEY_CURRENT_USER, "Software\\Lumbex");
    for (const char* type : {".kez", ".zip", ".cab", ".arj", ".lzh", ".k00"})
        ShowTree("HKCR", HKEY_CLASSES_ROOT, type);
    Show("  (.k01 to .k19 hold the same as .k00)");
    ShowTree("HKCR", HKEY_CLASSES_ROOT, "Lumbex");
    ShowTree("HKCR", HKEY_CLASSES_ROOT, "Lumbex.ZIP");
    ShowTree("HKCR", HKEY_CLASSES_ROOT, "CLSID\\" SHELL_EXTENSION_CLSID);
    for (const ShellExtensionValue& handler : ShellHandlers())
        ShowTree("HKCR", HKEY_CLASSES_ROOT, ShellKey(handler));
    ShowTree("HKLM", HKEY_LOCAL_MACHINE, UninstallEntryKey);
    ShowTree("HKLM", HKEY_LOCAL_MACHINE, AppPathKey);
    Show(std::string("  [HKLM\\") + ApprovedKey + "] (one of its values)");
    Show("  " + RegistryLine(HKEY_LOCAL_MACHINE, ApprovedKey, SHELL_EXTENSION_CLSID));
}

void ShowLinks(const char* where, int csidl, const std::string& sub)
{
    std::string folder = ShellFolderPath(csidl) + sub;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (sub.empty() && std::string(found.cFileName) != "Lumbex.lnk")
            continue;
        Shortcut link = ReadShortcut(folder + "\\" + found.cFileName);
        Show(std::string("  ") + where + ": " + found.cFileName + " -> " + link.target +
             " (\"" + link.description + "\")");
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void ShowShortcuts()
{
    Show("\nShortcuts:");
    ShowLinks("Desktop", CSIDL_DESKTOPDIRECTORY, "");
    ShowLinks("Start menu", CSIDL_STARTMENU, "");
    ShowLinks("Programs\\Lumbex", CSIDL_PROGRAMS, "\\Lumbex");
    ShowLinks("All users' Programs\\Lumbex", CSIDL_COMMON_PROGRAMS, "\\Lumbex");
}

// Closing the completion dialog opens the program group in a shell window.
void CloseGroupWindow()
{
    if (WaitForWindow("Lumbex", 5000))
        Show("  the program group opened in a shell window (closed again)");
    CloseFolderWindows("Lumbex");
}

void SilentRun()
{
    Show("\n\"/setup /s\" in " + Quoted(DemoFolder) + ":");
    RunResult run = RunProgram(Quoted(DemoTool()) + " /setup /s", DemoFolder, 20000);
    printf("  exit code %lu after %lu ms, no dialog waited\n", run.exitCode, run.elapsedMs);
    fflush(stdout);
    CloseGroupWindow();
    ShowRegistry();
    ShowShortcuts();
    ShowInstalledPrograms();
}

void InteractiveRun()
{
    Show("\n\"/setup\" again, driven like a user:");
    DWORD start = GetTickCount();
    HANDLE process = StartProgram(Quoted(DemoTool()) + " /setup", DemoFolder);
    HWND options = WaitForDialog("Lumbex Setup", IDOK, "OK", 15000);
    if (!options) {
        Show("  no options dialog appeared");
        CloseHandle(process);
        return;
    }
    Sleep(300);
    SaveScreenshot(options, DemoShots + "\\options_dialog.bmp");
    Show("  options dialog: the choices stored by the first run; ticking \"Put Lumbex to "
         "Desktop\", pressing OK");
    ClickButton(options, 5106);
    ClickButton(options, IDOK);
    HWND done = WaitForDialog("Lumbex Setup", IDOK, "Done", 15000);
    if (done) {
        Sleep(300);
        SaveScreenshot(done, DemoShots + "\\done_dialog.bmp");
        Show("  completion dialog: installed to " + ControlText(done, 5101));
        ClickButton(done, 5102);
        std::string archiver = std::string(DemoFolder) + "\\Lumbex.exe";
        Eventually([&] { return !RecordedCommandLines(archiver).empty(); });
        for (const std::string& line : RecordedCommandLines(archiver))
            Show("  \"Run Lumbex\" started the stand-in archiver as: " + line);
        // The record is the stand-in's, not a product file: no list names it.
        DeleteFileA((std::string(DemoFolder) + "\\Lumbex.log").c_str());
        ClickButton(done, IDOK);
    }
    RunResult run = WaitProgram(process, start, 15000);
    printf("  after \"Done\": exit code %lu\n", run.exitCode);
    fflush(stdout);
    CloseHandle(process);
    CloseGroupWindow();
    ShowLinks("Desktop", CSIDL_DESKTOPDIRECTORY, "");
}

}  // namespace

void DemoSetup()
{
    Show("\nSetup mode (starting from a machine on which setup never ran):");
    ForgetSetup();
    if (!PlaceProduct(DemoFolder)) {
        Show("  cannot place the product's stand-ins");
        return;
    }
    Show("  stand-ins for the product placed beside the tool: Lumbex.exe (records its "
         "command line), kezext.dll, license.txt, register.frm");
    SilentRun();
    InteractiveRun();
}
