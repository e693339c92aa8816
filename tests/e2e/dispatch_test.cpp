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

// The warning that the removal script shows, in the tool's own texts and in
// those of a language module beside it; a translation whose format does not
// hold exactly one string is shown as it stands.
TEST(Dispatch, WarningShowsTheTextsBesideTheToolAndThePath)
{
    struct Case {
        const char* folder;
        const char* module;
        const char* caption;
        std::string before, after;      // around the tool's path
    } cases[] = {
        {"warning", NULL, "Uninstall Lumbex", "Uninstall completed\nYou should delete ",
         " manually"},
        {"warning lng", "testlng", "Test: Lumbex entfernen",
         "Test: Entfernen beendet\nTest: Bitte ", " von Hand l\xF6schen (100%)"},
        {"warning bad", "badlng", "Bad: Uninstall", "Bad: Done\nBad: %s and %s and %d, delete ",
         ""},
    };
    for (const Case& c : cases) {
        std::string folder = Install(c.folder, c.module);
        AnsweredRun w = RunAnswering("\"" + folder + "\\Uninstall.exe\" /warning", folder,
                                     c.caption, IDOK);
        ASSERT_TRUE(w.box.found) << c.folder;
        EXPECT_EQ(c.before + folder + "\\Uninstall.exe" + c.after, w.box.text);
        EXPECT_TRUE(w.run.finished) << c.folder;
        EXPECT_EQ(0u, w.run.exitCode) << c.folder;
    }
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
    // Each time holds a start of wine's, which the tool does not control:
    // bounded are the two seconds, against the quick runs.
    EXPECT_GE(wait.elapsedMs, 2000u);
    EXPECT_LT(wait.elapsedMs, quick.elapsedMs + 3000u);
    EXPECT_GT(wait.elapsedMs, quick.elapsedMs + 1000u);
    EXPECT_GT(wait.elapsedMs, warn.elapsedMs + 1000u);
    EXPECT_EQ(NULL, WaitForWindow("Uninstall Lumbex", 0));
}

}  // namespace
