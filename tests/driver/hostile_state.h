// The surroundings of the hostile-input runs: a sandbox root holding files of
// others beside and above the install folders, registry keys of others, the
// two builds of the tool, and one folder per run for its removal script.
#ifndef LUMBEX_TESTS_HOSTILE_STATE_H
#define LUMBEX_TESTS_HOSTILE_STATE_H

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver/run_watch.h"

extern const char* const HostileRoot;   // C:\lumbex-tests\hostile

struct ToolBuild {
    std::string name;   // "shipped" or "checked"
    std::string path;
};
// The shipped executable and the one built with overrun checks.
std::vector<ToolBuild> ToolBuilds();

// Files of others: HostileRoot\bystander.txt, C:\lumbex-tests\hostile-above.txt,
// C:\hostile-root.txt; the registry keys of others (OthersRegistry).
void PlaceBystanders();
void RemoveBystanders();

// What no run may change: every file and folder under HostileRoot but the
// given install folders, the entries of C:\lumbex-tests and of C:\, and the
// registry keys of others.
std::vector<std::string> OutsideState(const std::vector<std::string>& installFolders);

// Copies a build into folder as "Uninstall.exe".
bool PlaceTool(const ToolBuild& build, const std::string& folder);

// A fresh folder for one run's removal script, the variables that make the
// run write its script there, and whether the script has finished (it
// deletes itself last).
std::string ScriptFolder(const std::string& name);
std::vector<std::string> ScriptVariables(const std::string& folder);
bool ScriptGone(const std::string& folder);

// The run ended by itself with this exit code and showed exactly these
// windows ("caption: text").
void ExpectCleanRun(const WatchedRun& run, const std::vector<std::string>& windows,
                    DWORD exitCode = 0);
// No crash report, and no window of a process that was not watched.
void ExpectNoCrash(const WatchReport& report);

// The uninstaller's question, as a watched run records it.
extern const char* const UninstallQuestion;

// Tests of hostile input: a machine on which setup never ran, with the
// bystanders in place for the whole suite.
class HostileTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void TearDown() override;

    // A file at folder\entry, with the folders on its way.
    static void PlaceFile(const std::string& folder, const std::string& entry,
                          DWORD attributes = 0);
    // A name that makes the full path inside folder exactly length bytes.
    static std::string NameOfLength(const std::string& folder, size_t length, char fill);
};

#endif
