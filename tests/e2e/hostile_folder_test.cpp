// Both builds of the real executable in install folders at the edge of the
// path length, and against registry values of the wrong type or size where
// it reads. Every run must end by itself with exit code 0 and without a crash
// report; what setup writes names whole paths only; nothing of others changes.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/hostile_state.h"
#include "driver/installed_state.h"
#include "driver/lumbex_state.h"
#include "driver/long_path.h"
#include "driver/run_watch.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"

namespace {

using Names = std::vector<std::string>;

const std::string ClassKey = "CLSID\\" SHELL_EXTENSION_CLSID;
const std::string Links = std::string(SettingsKey) + "\\Links";
const char* const Products[] = {"Lumbex.exe", "kezext.dll", "Lumbex.hlp", "Kez.txt",
                                "license.txt"};
const size_t LongestPath = 259;

std::string Missing()
{
    return "<missing>";
}

// What a value must hold: the whole text, or nothing when it would not fit.
std::string WholeOrNone(const std::string& text)
{
    return text.size() <= LongestPath ? text : Missing();
}

std::string Folder(const std::string& path)
{
    return path.substr(0, path.rfind('\\'));
}

class HostileFolders : public HostileTest {
protected:
    // One run of a build, watched to its end.
    WatchedRun Run(const std::string& label, const std::string& commandLine,
                   const std::string& folder, const Names& variables, WatchReport* report)
    {
        std::vector<WatchedRun> runs(1);
        runs[0].label = label;
        EXPECT_TRUE(StartRun(&runs[0], commandLine, folder, variables)) << label;
        WatchRuns(&runs, {"Uninstall Lumbex"}, 20000, report);
        return runs[0];
    }

    // The uninstallers of the given folders, all at once, each writing its
    // removal script into a folder of its own; returns once every script
    // has ended.
    std::vector<WatchedRun> Uninstall(const Names& folders, const Names& scripts,
                                      WatchReport* report)
    {
        std::vector<WatchedRun> runs(folders.size());
        for (size_t i = 0; i < folders.size(); i++) {
            runs[i].label = folders[i];
            EXPECT_TRUE(StartRun(&runs[i], "\"" + folders[i] + "\\Uninstall.exe\"", "C:\\",
                                 ScriptVariables(scripts[i])));
        }
        WatchRuns(&runs, {"Uninstall Lumbex"}, 30000, report, [&] {
            return std::all_of(scripts.begin(), scripts.end(), ScriptGone);
        });
        return runs;
    }
};

// Every value that names a place in the install folder or beside the tool
// names the folder itself or a file that is there: never a path cut to fit.
void ExpectWholePaths(const std::string& install, const std::string& tool)
{
    const std::pair<HKEY, std::string> trees[] = {
        {HKEY_CLASSES_ROOT, "Lumbex"},      {HKEY_CLASSES_ROOT, "Lumbex.ZIP"},
        {HKEY_CLASSES_ROOT, ClassKey}, {HKEY_LOCAL_MACHINE, UninstallEntryKey},
        {HKEY_LOCAL_MACHINE, AppPathKey}};
    std::string prefix = install.substr(0, install.rfind('\\') + 1);
    for (const auto& tree : trees)
        for (const std::string& line : RegistryLines(tree.first, tree.second)) {
            size_t at = line.find(prefix);
            if (at == std::string::npos)
                continue;
            std::string path = line.substr(at, line.find_first_of("\",", at) - at);
            bool whole = path == install ||
                         ((Folder(path) == install || Folder(path) == Folder(tool)) &&
                          IsFileLong(path));
            EXPECT_TRUE(whole) << tree.second << ":" << line;
        }
}

// No shortcut for a target that does not fit.
void ExpectLinkIfFits(const std::string& link, const std::string& target)
{
    if (target.size() <= LongestPath)
        ExpectLink(link, target);
    else
        EXPECT_FALSE(ReadShortcut(link).found) << link << " for a target that does not fit";
}

// What setup mode wrote for an install folder and a tool path of this length.
void ExpectWritten(const std::string& install, const std::string& tool, bool group)
{
    std::string archiver = install + "\\Lumbex.exe";
    for (const char* id : {"Lumbex", "Lumbex.ZIP"}) {
        std::string key = id;
        EXPECT_EQ(WholeOrNone("\"" + archiver + "\" \"%1\""),
                  RegText(HKEY_CLASSES_ROOT, key + "\\shell\\open\\command", ""))
            << install.size();
        EXPECT_EQ(WholeOrNone(archiver + ",0"), RegText(HKEY_CLASSES_ROOT, key + "\\DefaultIcon", ""))
            << install.size();
    }
    EXPECT_EQ(WholeOrNone(install + "\\kezext.dll"),
              RegText(HKEY_CLASSES_ROOT, ClassKey + "\\InProcServer32", ""));
    EXPECT_EQ("\"" + tool + "\"",
              RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString"));
    EXPECT_EQ(WholeOrNone(Folder(tool) + "\\Lumbex.exe"),
              RegText(HKEY_LOCAL_MACHINE, AppPathKey, ""));
    EXPECT_EQ(install, RegText(HKEY_LOCAL_MACHINE, AppPathKey, "Path"));
    ExpectWholePaths(install, tool);

    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_STARTMENU})
        ExpectLinkIfFits(ShellFolderPath(csidl) + "\\Lumbex.lnk", archiver);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        std::string groupFolder = ShellFolderPath(csidl) + "\\Lumbex";
        EXPECT_EQ(group, IsFolder(groupFolder)) << groupFolder;
        if (!group)
            continue;
        ExpectLinkIfFits(groupFolder + "\\Lumbex.lnk", archiver);
        ExpectLinkIfFits(groupFolder + "\\Lumbex help.lnk", install + "\\Lumbex.hlp");
        ExpectLinkIfFits(groupFolder + "\\Console KEZ manual.lnk", install + "\\Kez.txt");
    }
}

std::string Tail(size_t i)
{
    // Accepted forms only: the refused ones are the command tail tests' part.
    const std::string tails[] = {"/setup /s", "  /setup   /s /norestart  ", "/SETUP/S",
                                 "/Setup /norestart /S", "/setup\t/s"};
    return tails[i % 5];
}

// The archiver's paths run out of room one after another: the open command
// above 241 bytes of folder, the tool's own path above 245. A tool that
// cannot lie in a longer folder is started from it, and sets up its own
// folder: nothing it writes names the current one. A folder of 259 bytes
// cannot be a program's current directory under wine (it fails to start the
// process), so 258 is the longest tried.
TEST_F(HostileFolders, SetupAndUninstallInInstallFoldersOf240To258Bytes)
{
    const std::string parent = std::string(HostileRoot) + "\\long";
    RemoveTreeLong(parent);
    MakeFolderLong(parent);
    const size_t lengths[] = {240, 241, 242, 245, 246, 248, 249, 251, 252, 258};
    std::vector<ToolBuild> builds = ToolBuilds();
    Names installs;
    Names inside;           // folders that hold their tool
    for (size_t length : lengths) {
        std::string name = "L" + std::to_string(length) + "-";
        std::string install =
            parent + "\\" + name + std::string(length - parent.size() - 1 - name.size(), 'x');
        ASSERT_EQ(length, install.size());
        ASSERT_TRUE(MakeFolderLong(install));
        for (const char* product : Products)
            PlaceFile(install, product);
        installs.push_back(install);
    }
    for (const ToolBuild& build : builds) {
        MakeFolderLong(parent + "\\tool-" + build.name);
        ASSERT_TRUE(PlaceTool(build, parent + "\\tool-" + build.name));
        for (const char* product : Products)
            PlaceFile(parent + "\\tool-" + build.name, product);
    }
    // A tool path longer than 259 bytes cannot be started at all.
    Names scripts;
    for (const std::string& install : installs)
        if (install.size() + strlen("\\Uninstall.exe") <= LongestPath) {
            inside.push_back(install);
            scripts.push_back(ScriptFolder("long" + std::to_string(install.size())));
        }
    Names outside = OutsideState(installs);
    DWORD setupMs = 0;

    for (size_t i = 0; i < installs.size(); i++) {
        const std::string& install = installs[i];
        const ToolBuild& build = builds[i % 2];
        bool toolInside = std::find(inside.begin(), inside.end(), install) != inside.end();
        std::string tool = (toolInside ? install : parent + "\\tool-" + build.name) +
                           "\\Uninstall.exe";
        if (toolInside) {
            ASSERT_TRUE(PlaceTool(build, install));
        }
        ForgetSetup();
        // Shortcuts everywhere; the program group in every other run.
        bool group = i % 2 == 1;
        SetRaw(HKEY_CURRENT_USER, Links, "Desktop", REG_DWORD, std::string("\1\0\0\0", 4));
        SetRaw(HKEY_CURRENT_USER, Links, "StartMenu", REG_DWORD, std::string("\1\0\0\0", 4));
        SetRaw(HKEY_CURRENT_USER, Links, "Programs", REG_DWORD,
               std::string(group ? "\1\0\0\0" : "\0\0\0\0", 4));

        WatchReport report;
        WatchedRun run = Run(std::to_string(install.size()) + " bytes (" + build.name + ")",
                             "\"" + tool + "\" " + Tail(i), install, {}, &report);
        ExpectNoCrash(report);
        ExpectCleanRun(run, {});
        ExpectWritten(Folder(tool), tool, group);
        setupMs += run.elapsedMs;
    }

    // The uninstallers where they could be started, each with a list that
    // reaches the limit: 258 and 259 bytes go, 260 cannot be named whole
    // and stays, and so does the 259-byte path it would be cut to.
    const std::string products = "Lumbex.exe\r\nkezext.dll\r\nLumbex.hlp\r\nKez.txt\r\nlicense.txt\r\n";
    std::vector<Names> survivors;
    for (const std::string& install : inside) {
        std::string list = products;
        Names left;
        std::string n258 = NameOfLength(install, 258, 'a');
        std::string n259 = NameOfLength(install, 259, 'b');
        PlaceFile(install, n258);
        PlaceFile(install, n259);
        list += n258 + "\r\n" + n259 + "\r\n";
        if (install.size() == 240) {
            std::string n260 = NameOfLength(install, 260, 'c');
            std::string cut = n260.substr(0, n260.size() - 1);
            PlaceFile(install, n260);
            PlaceFile(install, cut);
            list += n260 + "\r\n";
            left = {cut, n260};
        }
        if (install.size() == 241) {
            std::string deep = "sub\\" + NameOfLength(install + "\\sub", 259, 'd');
            PlaceFile(install, deep);
            list += "sub\r\n" + deep + "\r\n";
        }
        ASSERT_TRUE(WriteLong(install + "\\Uninstall.lst", list));
        survivors.push_back(left);
    }
    WatchReport report;
    std::vector<WatchedRun> runs = Uninstall(inside, scripts, &report);
    printf("[ folder runs ] %lu ms for %u setup runs, %lu ms for %u uninstall runs\n", setupMs,
           (unsigned)installs.size(), report.elapsedMs, (unsigned)inside.size());
    ExpectNoCrash(report);
    for (size_t i = 0; i < inside.size(); i++) {
        ExpectCleanRun(runs[i], {UninstallQuestion});
        Names left;
        for (const std::string& line : TreeLines(inside[i]))
            left.push_back(line.substr(0, line.find(' ')));
        EXPECT_EQ(survivors[i], left) << inside[i].size();
    }
    EXPECT_EQ(Names(), PresentArchiverRegistry());
    EXPECT_EQ(Names(), PresentLinks());
    EXPECT_EQ(outside, OutsideState(installs));
}

}  // namespace
