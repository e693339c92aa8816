// The real executable, started the way the self-removal script and users start it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run_watch.h"
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
        // Its product still installed: the tool is named, never scheduled.
        ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "Lumbex.exe\r\n"));
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
    RunResult quick = RunProgram(tool + " /bogus /s", folder, 15000);
    RunResult wait = RunProgram(tool + " /wait", folder, 15000);
    RunResult warn = RunProgram(tool + " /warn /S", folder, 15000);
    ASSERT_TRUE(quick.finished);
    ASSERT_TRUE(wait.finished);
    ASSERT_TRUE(warn.finished);
    EXPECT_EQ(1639u, quick.exitCode);
    EXPECT_EQ(0u, wait.exitCode);
    EXPECT_EQ(1639u, warn.exitCode);
    // Each time holds a start of wine's, which the tool does not control:
    // bounded are the two seconds, against the quick runs.
    EXPECT_GE(wait.elapsedMs, 2000u);
    EXPECT_LT(wait.elapsedMs, quick.elapsedMs + 3000u);
    EXPECT_GT(wait.elapsedMs, quick.elapsedMs + 1000u);
    EXPECT_GT(wait.elapsedMs, warn.elapsedMs + 1000u);
    EXPECT_EQ(NULL, WaitForWindow("Uninstall Lumbex", 0));
}

// Installers and deployment tools read only the exit code: a tail in a form
// the tool does not take says so, and shows nothing when it holds "/s". The
// uninstall tails here reach uninstall, which finds a product's file but no
// list beside the tool.
TEST(Dispatch, EveryTailDoesWhatItSaysOrSaysWhyNot)
{
    const std::string forms = "/setup [/s] [/norestart]\n/uninstall [/s] [/norestart]\n";
    const std::string english = "Lumbex Setup: Unknown command line \"";
    const std::string german = "Lumbex-Einrichtung: Unbekannte Befehlszeile \"";
    struct Case {
        const char* module;
        const char* tail;
        DWORD exitCode;
        std::vector<std::string> windows;
    } cases[] = {
        {NULL, "/bogus", 1639,
         {english + "/bogus\". Use one of:\n" + forms + "no switch (uninstall)"}},
        {NULL, "/S", 1639, {}},
        {NULL, "/setup /s /restart", 1639, {}},
        {NULL, "/wait /s", 1639, {}},
        {NULL, "/s /uninstall", 1639, {}},
        {NULL, "/UNINSTALL /S ", 1603, {}},
        {NULL, " /uninstall\t/norestart /s", 1603, {}},
        {"german", "/setup /x", 1639,
         {german + "/setup /x\". M\xF6glich sind:\n" + forms + "ohne Schalter (Deinstallation)"}},
    };
    std::string folders[] = {Install("tails"), Install("tails de", "german")};
    ASSERT_TRUE(WriteBytes(folders[0] + "\\Lumbex.exe", "the product's"));
    std::vector<WatchedRun> runs(sizeof cases / sizeof cases[0]);
    for (size_t i = 0; i < runs.size(); i++) {
        const std::string& folder = folders[cases[i].module ? 1 : 0];
        runs[i].label = cases[i].tail;
        ASSERT_TRUE(StartRun(&runs[i], "\"" + folder + "\\Uninstall.exe\" " + cases[i].tail,
                             folder));
    }
    WatchReport report;
    WatchRuns(&runs, {}, 30000, &report);
    EXPECT_EQ(std::vector<std::string>(), report.crashes);
    for (size_t i = 0; i < runs.size(); i++) {
        EXPECT_TRUE(runs[i].finished) << runs[i].label;
        EXPECT_EQ(cases[i].exitCode, runs[i].exitCode) << runs[i].label;
        EXPECT_EQ(cases[i].windows, runs[i].windows) << runs[i].label;
    }
    for (const std::string& folder : folders)
        EXPECT_TRUE(Exists(folder + "\\Uninstall.exe")) << folder;
}

}  // namespace
