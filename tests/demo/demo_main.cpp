// Walks through the tool's modes in a sandbox prefix and prints what a user
// would see. Started by scripts/demo.sh.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "demo/demo.h"
#include "driver/sandbox.h"
#include "driver/ui_driver.h"

std::string TestToolPath;
std::string TestFixtures;

const char* DemoFolder = "C:\\Program Files\\Lumbex";
std::string DemoShots;

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

std::string DemoTool()
{
    return std::string(DemoFolder) + "\\Uninstall.exe";
}

void Show(const std::string& text)
{
    printf("%s\n", text.c_str());
    fflush(stdout);
}

namespace {

void Timed(const char* what, const std::string& arguments)
{
    RunResult run = RunProgram(Quoted(DemoTool()) + arguments, DemoFolder, 20000);
    printf("  %-30s exit code %lu after %lu ms\n", what, run.exitCode, run.elapsedMs);
    fflush(stdout);
}

void Warning()
{
    Show("\n\"/warning\" (run by the removal script when the executable survived):");
    DWORD start = GetTickCount();
    HANDLE process = StartProgram(Quoted(DemoTool()) + " /warning", DemoFolder);
    HWND box = WaitForWindow("Uninstall Lumbex", 15000);
    if (!box) {
        Show("  no message box appeared");
        return;
    }
    Sleep(300);
    SaveScreenshot(box, DemoShots + "\\warning.bmp");
    Show("  caption: " + WindowText(box));
    Show("  text:    " + MessageBoxText(box));
    ClickButton(box, IDOK);
    RunResult run = WaitProgram(process, start, 15000);
    printf("  after OK: exit code %lu\n", run.exitCode);
    CloseHandle(process);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: demo <tool> <screenshot folder> <fixtures folder>\n");
        return 2;
    }
    TestToolPath = argv[1];
    DemoShots = argv[2];
    TestFixtures = argv[3];
    CreateDirectoryA(DemoShots.c_str(), NULL);

    RemoveTree(DemoFolder);     // left by an earlier run that stopped half-way
    DemoRoundTripBegin();
    Show("Installing the tool as " + DemoTool());
    CreateDirectoryA(DemoFolder, NULL);
    if (!CopyFileA(ToolPath().c_str(), DemoTool().c_str(), FALSE)) {
        Show("  cannot copy the tool");
        return 1;
    }

    Show("\nSwitch dispatch:");
    Timed("/wait (sleeps 2000 ms)", " /wait");
    Timed("/bogus (does nothing)", " /bogus");
    Timed("/warn (not /warning)", " /warn");
    Timed("/s alone (silent, no mode)", " /s");
    Warning();
    DemoSetup();
    DemoUninstall();
    DemoSilentUninstall();
    DemoRoundTripEnd();
    return 0;
}
