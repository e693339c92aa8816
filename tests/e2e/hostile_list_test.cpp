// Both builds of the real executable against hostile list files and command
// tails. Every run must end by itself with exit code 0 and without a crash
// report (the checked build traps at the first overrun), remove what its
// list names inside its install folder where it can, and leave everything
// outside that folder as it was.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/hostile_state.h"
#include "driver/long_path.h"
#include "driver/run_watch.h"
#include "driver/sandbox.h"

namespace {

using Names = std::vector<std::string>;

const std::string Lists = std::string(HostileRoot) + "\\lists";

std::string Line(const std::string& entry)
{
    return entry + "\r\n";
}

// The relative paths under folder, sorted; empty when it is gone.
Names Contents(const std::string& folder)
{
    Names names;
    for (const std::string& line : TreeLines(folder))
        names.push_back(line.substr(0, line.find(' ')));
    return names;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return text;
}

// One install folder with its list, and what must be left in it once the
// removal script has run.
struct ListCase {
    std::string name;
    std::string folder;
    std::string list;
    Names survivors;
    std::string scripts;        // the folder for its removal script
    Names windows = {UninstallQuestion};
};

class HostileListsAndTails : public HostileTest {
protected:
    // Everything at once: the shapes a list may take and the entries that
    // point out of the install folder, with the files they name or miss.
    void Combined(ListCase* c)
    {
        const std::string& f = c->folder;
        std::string own = c->name;
        for (const char* name : {"plain.txt", "with space.txt", "100%.txt", "caf\xE9.txt",
                                 "lastline.txt", "plain3.txt", "plain4.txt", "plain5.txt",
                                 "sub\\a.txt", "sub\\deeper\\b.txt", "sub2\\c.txt",
                                 "keepdir\\unlisted.txt", "nulvictim", "victim5000.txt",
                                 "victim2.txt", "victim3.txt", "sub3\\z.txt", "cr1.txt",
                                 "cr2.txt"})
            PlaceFile(f, name);
        PlaceFile(f, "ro.txt", FILE_ATTRIBUTE_READONLY);
        PlaceFile(f, "hs.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        MakeFolderLong(f + "-twin");
        ASSERT_TRUE(WriteLong(f + "-twin\\x.txt", "beside, with a name that extends it"));

        // Full paths of 258 and 259 bytes go; one of 260 cannot be named
        // whole, and the 259-byte path it would be cut to must survive.
        std::string n258 = NameOfLength(f, 258, 'a');
        std::string n259 = NameOfLength(f, 259, 'b');
        std::string n260 = NameOfLength(f, 260, 'c');
        std::string cut = n260.substr(0, n260.size() - 1);
        for (const std::string& name : {n258, n259, n260, cut})
            PlaceFile(f, name);

        std::string& l = c->list;
        for (const char* entry : {"sub", "sub\\deeper", "sub\\deeper\\b.txt", "sub\\a.txt",
                                  "plain.txt", "plain.txt", "  plain.txt", "with space.txt \t ",
                                  "100%.txt", "caf\xE9.txt", "ro.txt", "hs.txt", "sub2/c.txt",
                                  "sub2", "sub\\..\\plain3.txt", "keepdir"})
            l += Line(entry);
        l += Line("..\\" + own + "\\plain4.txt");
        l += Line("..\\" + Upper(own) + "\\plain5.txt");
        // Wildcards are taken literally.
        for (const char* entry : {"sub3\\*", "*", "*.*", "?"})
            l += Line(entry);
        // A zero byte anywhere passes the line over: "nulvictim" stays.
        for (const std::string& entry :
             {std::string("nulvictim\0.txt", 14), std::string("\0nulvictim", 10),
              std::string("nulvictim\0", 10), std::string(3, '\0')})
            l += Line(entry);
        // Lines longer than the line buffer name nothing, not even in pieces.
        l += Line(std::string(5000, 'a'));
        l += Line("victim5000.txt" + std::string(4986, ' '));
        l += Line(std::string(519, 'x') + "victim2.txt");
        l += Line(std::string(519 * 9, 'x') + "victim3.txt");
        // Out of the folder, in every spelling.
        for (const char* entry :
             {"..\\bystander.txt", "..\\..\\bystander.txt", "..\\..\\..\\hostile-above.txt",
              "..\\..\\..\\..\\hostile-root.txt", "..\\..\\..\\..\\..\\hostile-root.txt",
              "sub\\..\\..\\bystander.txt", "../bystander.txt", "sub/../../bystander.txt",
              "..", ".", "...", ".\\", "sub4\\..", "C:\\lumbex-tests\\hostile\\bystander.txt",
              "C:\\hostile-root.txt", "\\hostile-root.txt", "\\lumbex-tests\\hostile-above.txt",
              "C:hostile-root.txt", "\\\\?\\C:\\hostile-root.txt", "\\\\.\\C:\\hostile-root.txt",
              "\\\\?\\UNC\\localhost\\C$\\hostile-root.txt",
              "\\\\localhost\\C$\\hostile-root.txt", "//?/C:/hostile-root.txt", "NUL", "CON",
              "COM1", "LPT1.txt", "aux", "CONIN$"})
            l += Line(entry);
        l += Line("..\\" + own);
        l += Line("..\\" + own + "-twin\\x.txt");
        l += Line("..\\" + own + "-twin");
        // In use while the list is read: the list itself and the executable.
        l += Line("Uninstall.lst");
        l += Line("Uninstall.exe");
        for (const std::string& name : {n258, n259, n260})
            l += Line(name);
        // Ten thousand entries: a thousand files in ten folders, each named
        // once, then nine thousand names of files that are not there.
        for (int d = 0; d < 10; d++)
            for (int i = 0; i < 100; i++) {
                char name[32];
                snprintf(name, sizeof name, "many\\d%d\\f%02d", d, i);
                PlaceFile(f, name);
            }
        for (int n = 0; n < 10000; n++) {
            char entry[32];
            snprintf(entry, sizeof entry, n < 1000 ? "many\\d%d\\f%02d" : "many\\d%d\\g%04d",
                     n / 100 % 10, n < 1000 ? n % 100 : n);
            l += Line(entry);
        }
        for (int d = 0; d < 10; d++)
            l += Line("many\\d" + std::to_string(d));
        l += Line("many");
        // Bytes of every value but the line feed, then a line cut by carriage
        // returns alone (one line: the names stay), then a last line
        // without its line end.
        std::string binary;
        for (int b = 255; b > 0; b--)
            if (b != '\n')
                binary.push_back((char)b);
        l += Line(binary);
        l += "cr1.txt\rcr2.txt\r\n";
        l += "lastline.txt";

        c->survivors = {"cr1.txt", "cr2.txt", cut, n260, "keepdir", "keepdir\\unlisted.txt",
                        "nulvictim", "sub3", "sub3\\z.txt", "victim2.txt", "victim3.txt",
                        "victim5000.txt"};
    }

    void Binary(ListCase* c)
    {
        PlaceFile(c->folder, "keep.txt");
        unsigned noise = 12345;
        for (int i = 0; i < 65536; i++) {
            noise = noise * 1103515245u + 12345u;
            c->list.push_back((char)(noise >> 16));
        }
        c->list += std::string(4096, '\0') + std::string(4096, '\xFF');
        c->survivors = {"keep.txt"};
    }

    ListCase MakeCase(const ToolBuild& build, const std::string& shape)
    {
        ListCase c;
        c.name = shape + "-" + build.name;
        // Characters that the command interpreter takes specially outside
        // quotation marks; "%PATH%" it expands even inside them.
        if (shape == "odd-name")
            c.name = "odd & ^ (1) ! %PATH% ;,= " + build.name;
        c.folder = Lists + "\\" + c.name;
        RemoveTreeLong(c.folder);
        RemoveTreeLong(c.folder + "-twin");
        MakeFolderLong(c.folder);
        EXPECT_TRUE(PlaceTool(build, c.folder));
        if (shape == "combined")
            Combined(&c);
        else if (shape == "binary")
            Binary(&c);
        else if (shape == "no-line-end") {
            PlaceFile(c.folder, "only.txt");
            c.list = "only.txt";
        }
        if (shape == "odd-name") {
            PlaceFile(c.folder, "sub\\odd & file %1.txt");
            c.list = "sub\\odd & file %1.txt\r\nsub\r\n";
        }
        if (shape == "list-is-a-folder") {
            MakeFolderLong(c.folder + "\\Uninstall.lst");
            c.windows.push_back("Uninstall Lumbex: Cannot open list file Uninstall.lst");
            c.survivors = {"Uninstall.exe", "Uninstall.lst"};
        }
        // The removal script's path (the temporary folder, the script's
        // own folder and "Uninstall.Kez.Bat") at the limit: with 260 bytes
        // no script is written, and the tool stays and says so.
        c.scripts = ScriptFolder(shape + "-" + build.name);
        for (size_t length : {259, 260})
            if (shape == "script-" + std::to_string(length)) {
                std::string temp = std::string(HostileRoot) + "\\temp\\";
                size_t name =
                    length - temp.size() - strlen("\\Lumbex-12345678\\Uninstall.Kez.Bat");
                RemoveTreeLong(c.scripts);
                c.scripts = ScriptFolder(c.name + std::string(name - c.name.size(), '-'));
                PlaceFile(c.folder, "only.txt");
                c.list = "only.txt\r\n";
                if (length == 260) {
                    c.survivors = {"Uninstall.exe"};
                    c.windows.push_back("Uninstall Lumbex: Uninstall completed\nWindows removes "
                                        "what is left of the folder " + c.folder +
                                        "\\ when it next restarts.");
                }
            }
        if (shape != "list-is-a-folder") {
            EXPECT_TRUE(WriteLong(c.folder + "\\Uninstall.lst", c.list));
        }
        std::sort(c.survivors.begin(), c.survivors.end());
        return c;
    }
};

TEST_F(HostileListsAndTails, ListFilesOfEveryShape)
{
    MakeFolderLong(Lists);
    ASSERT_TRUE(WriteLong(Lists + "\\bystander.txt", "beside the install folders"));
    std::vector<ListCase> cases;
    for (const ToolBuild& build : ToolBuilds())
        for (const char* shape :
             {"combined", "empty", "no-line-end", "binary", "script-259", "script-260",
              "odd-name", "list-is-a-folder"})
            cases.push_back(MakeCase(build, shape));
    Names installs;
    Names scripts;
    for (const ListCase& c : cases) {
        installs.push_back(c.folder);
        scripts.push_back(c.scripts);
    }
    Names outside = OutsideState(installs);

    // All at once, each with a folder of its own for its removal script,
    // started from elsewhere as the list of removable programs would.
    std::vector<WatchedRun> runs(cases.size());
    for (size_t i = 0; i < cases.size(); i++) {
        runs[i].label = cases[i].name;
        ASSERT_TRUE(StartRun(&runs[i], "\"" + cases[i].folder + "\\Uninstall.exe\"", "C:\\",
                             ScriptVariables(scripts[i])));
    }
    WatchReport report;
    WatchRuns(&runs, {"Uninstall Lumbex"}, 60000, &report, [&] {
        return std::all_of(scripts.begin(), scripts.end(), ScriptGone);
    });
    printf("[ list runs ] %lu ms for %u runs\n", report.elapsedMs, (unsigned)runs.size());

    ExpectNoCrash(report);
    for (size_t i = 0; i < cases.size(); i++) {
        ExpectCleanRun(runs[i], cases[i].windows);
        EXPECT_TRUE(ScriptGone(scripts[i])) << cases[i].name;
        EXPECT_EQ(cases[i].survivors, Contents(cases[i].folder)) << cases[i].name;
    }
    EXPECT_EQ(outside, OutsideState(installs));
}

std::string Repeated(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; i++)
        repeated += text;
    return repeated;
}

struct ExpectedTail {
    const char* label;
    std::string tail;               // after the quoted program name
    std::vector<int> answers;
    std::string window;             // the one window it shows, "" for none
    bool windowPrefix;              // only the beginning of its text is given
    DWORD exitCode = 0;
};

// Long tails, tails with quotes, a tail of blanks: each does what its last
// (or, before a closing "/s", its first) switch says, and nothing else.
TEST_F(HostileListsAndTails, CommandTails)
{
    std::vector<WatchedRun> runs;
    std::vector<ExpectedTail> expected;
    Names folders;
    for (const ToolBuild& build : ToolBuilds()) {
        std::string folder = std::string(HostileRoot) + "\\tails-" + build.name;
        RemoveTreeLong(folder);
        MakeFolderLong(folder);
        ASSERT_TRUE(PlaceTool(build, folder));
        ASSERT_TRUE(WriteLong(folder + "\\product.txt", "stays"));
        ASSERT_TRUE(WriteLong(folder + "\\Uninstall.lst", "product.txt\r\n"));
        const std::string refused = "Lumbex Setup: Unknown command line ";
        const ExpectedTail tails[] = {
            {"5000 letters", " " + std::string(5000, 'a'), {IDNO}, UninstallQuestion, false},
            // A tail of switches that are no such, or in no accepted order, is
            // refused with the accepted forms; under "/s" without a window.
            {"5000 bytes, then /warning", " " + std::string(4991, 'w') + " /warning",
             {IDCANCEL}, refused, true, 1639},
            {"5000 bytes, then /wait", " " + std::string(4995, 'z') + "/wait", {IDCANCEL},
             refused, true, 1639},
            {"5000 slashes", " " + std::string(5000, '/'), {IDCANCEL}, refused, true, 1639},
            {"2500 times /s", " " + Repeated("/s", 2500), {IDOK}, "", false, 1639},
            {"5000 bytes, then /s", " " + std::string(4998, 'q') + "/s", {IDOK}, "", false, 1639},
            {"5000 blanks", std::string(5000, ' '), {IDNO}, UninstallQuestion, false},
            // Quoted switches are the same switches: a silent setup that finds
            // no archiver here ends without a window.
            {"quoted pair", " \"/setup /s\"", {IDOK}, "", false, 1603},
            {"empty quotes", " \"\" \"\"", {IDNO}, UninstallQuestion, false},
            {"quoted warning", " \"/warning\" \"/wait\"", {IDCANCEL}, refused, true, 1639},
            {"quoted other silent", " \"/bogus\" \"/VerySilent\"", {IDOK}, "", false, 1639},
            {"/setup and 4994 bytes", " /setup" + std::string(4994, 'x'), {IDCANCEL},
             refused, true, 1639},
        };
        for (const ExpectedTail& tail : tails) {
            WatchedRun run;
            run.label = std::string(tail.label) + " (" + build.name + ")";
            run.answers = tail.answers;
            runs.push_back(run);
            expected.push_back(tail);
            folders.push_back(folder);
        }
    }
    Names outside = OutsideState({});
    for (size_t i = 0; i < runs.size(); i++)
        ASSERT_TRUE(StartRun(&runs[i], "\"" + folders[i] + "\\Uninstall.exe\"" + expected[i].tail,
                             folders[i]));
    WatchReport report;
    WatchRuns(&runs, {"Uninstall Lumbex"}, 30000, &report);
    printf("[ tail runs ] %lu ms for %u runs\n", report.elapsedMs, (unsigned)runs.size());

    ExpectNoCrash(report);
    for (size_t i = 0; i < runs.size(); i++) {
        Names windows;
        if (!expected[i].window.empty())
            windows.push_back(expected[i].window);
        if (expected[i].windowPrefix && runs[i].windows.size() == 1)
            runs[i].windows[0].resize(expected[i].window.size());
        ExpectCleanRun(runs[i], windows, expected[i].exitCode);
        if (expected[i].exitCode == 0 && expected[i].tail.find("/wait") != std::string::npos) {
            EXPECT_GE(runs[i].elapsedMs, 2000u) << runs[i].label;
        }
    }
    // Nothing was set up.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
    EXPECT_EQ(outside, OutsideState({}));
}

}  // namespace
