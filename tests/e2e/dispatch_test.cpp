// The real executable, started the way the self-removal script and users start it.
#include <gtest/gtest.h>

#include <string>

#include "driver/sandbox.h"
#include "driver/ui_driver.h"

namespace {

std::string Install(const std::string& name, const char* languageModule = NULL)
{
    std::string folder = MakeSandbox(name);
    EXPECT_TRUE(CopyFileA(ToolPath().c_str(), (folder + "\\Uninstall.exe").c_str(), FALSE));
    if (languageModule)
        EXPECT_TRUE(CopyFileA(FixturePath(std::string(languageModule) + "\\kezlng.dll").c_str(),
                              (folder + "\\kezlng.dll").c_str(), FALSE));
    return folder;
}

struct Warning {
    BoxAnswer box;
    RunResult run;
};

Warning RunWarning(const std::string& folder, const std::string& caption)
{
    Warning warning;
    DWORD start = GetTickCount();
    HANDLE process = StartProgram("\"" + folder + "\\Uninstall.exe\" /warning", folder);
    warning.box = AnswerMessageBox(caption, IDOK, 15000);
    warning.run = WaitProgram(process, start, 15000);
    if (process)
        CloseHandle(process);
    return warning;
}

TEST(Dispatch, WarningShowsTheOwnTextsAndThePath)
{
    std::string folder = Install("warning");
    Warning w = RunWarning(folder, "Uninstall Lumbex");
    ASSERT_TRUE(w.box.found);
    EXPECT_EQ("Uninstall completed\nYou should delete " + folder + "\\Uninstall.exe manually",
              w.box.text);
    EXPECT_TRUE(w.run.finished);
    EXPECT_EQ(0u, w.run.exitCode);
}

TEST(Dispatch, WarningTextsComeFromALanguageModuleBesideTheTool)
{
    std::string folder = Install("warning lng", "testlng");
    Warning w = RunWarning(folder, "Test: Lumbex entfernen");
    ASSERT_TRUE(w.box.found);
    EXPECT_EQ("Test: Entfernen beendet\nTest: Bitte " + folder +
                  "\\Uninstall.exe von Hand l\xF6schen (100%)",
              w.box.text);
    EXPECT_TRUE(w.run.finished);
    EXPECT_EQ(0u, w.run.exitCode);
}

TEST(Dispatch, ATranslationWithoutExactlyOneStringIsShownAsItStands)
{
    std::string folder = Install("warning bad", "badlng");
    Warning w = RunWarning(folder, "Bad: Uninstall");
    ASSERT_TRUE(w.box.found);
    EXPECT_EQ("Bad: Done\nBad: %s and %s and %d, delete " + folder + "\\Uninstall.exe",
              w.box.text);
    EXPECT_TRUE(w.run.finished);
}

TEST(Dispatch, WaitTakesAboutTwoSecondsAndUnknownSwitchesNone)
{
    std::string folder = Install("wait");
    std::string tool = "\"" + folder + "\\Uninstall.exe\"";
    RunResult quick = RunProgram(tool + " /bogus", folder, 15000);
    RunResult wait = RunProgram(tool + " /wait", folder, 15000);
    RunResult warn = RunProgram(tool + " /warn", folder, 15000);
    ASSERT_TRUE(quick.finished);
    ASSERT_TRUE(wait.finished);
    ASSERT_TRUE(warn.finished);
    EXPECT_EQ(0u, quick.exitCode);
    EXPECT_EQ(0u, wait.exitCode);
    EXPECT_EQ(0u, warn.exitCode);
    EXPECT_GE(wait.elapsedMs, 2000u);
    EXPECT_LT(wait.elapsedMs, 2000u + quick.elapsedMs + 1000u);
    EXPECT_LT(quick.elapsedMs, 1500u);
    EXPECT_LT(warn.elapsedMs, 1500u);
    EXPECT_EQ(NULL, WaitForWindow("Uninstall Lumbex", 0));
}

}  // namespace
