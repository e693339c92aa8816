// Setup and uninstall of the real executable as one round trip: the whole
// registry and drive C: before setup, compared with the same after the
// removal script has finished. Other products' keys, files and shortcuts
// stand around throughout and must come out byte-identical.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "driver/installed_state.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_dialog.h"
#include "driver/setup_state.h"
#include "driver/snapshot.h"
#include "driver/ui_driver.h"
#include "resources/footprint.h"
#include "setup/setup.h"

namespace {

// What a round trip may leave behind. Every line of the difference must be
// one of these, and each says why the tool leaves it.
struct Allowance {
    std::string line;
    std::string reason;
};

// Setup's handler keys lie below shell keys that Windows always has but a
// fresh Wine prefix lacks; writing them creates these empty keys on the way.
// Uninstall removes the handler keys and leaves the keys above them: it
// cannot tell an empty one it made from the same key made by the system or
// another program (a fresh prefix ships "folder\shellex\ContextMenuHandlers"
// empty), and an empty key means nothing to the shell.
std::vector<Allowance> Allowances()
{
    std::vector<Allowance> allowances = {
        {"+ key HKU\\S-1-5-21-0-0-0-1000\\Software\\Microsoft\\Windows\\CurrentVersion\\"
         "Explorer\\Advanced",
         "empty, the shell's own: made by the shell window in which setup opens the program "
         "group"}};
    for (const ShellExtensionValue& handler : ShellHandlers()) {
        std::string key = ShellKey(handler);
        for (size_t cut = key.find('\\'); cut != std::string::npos; cut = key.find('\\', cut + 1))
            allowances.push_back({"+ key HKLM\\Software\\Classes\\" + key.substr(0, cut),
                                  "empty, made on the way to " + key +
                                      "; may be the system's or another program's"});
    }
    return allowances;
}

const std::string Windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// A key keeps the letter case it was first made with ("folder" for "Folder").
const Allowance* AllowanceFor(const std::vector<Allowance>& allowances, const std::string& line)
{
    for (const Allowance& allowance : allowances)
        if (lstrcmpiA(line.c_str(), allowance.line.c_str()) == 0)
            return &allowance;
    return nullptr;
}

// ---- what belongs to others ----

// The archive types as other programs registered them, with their New-menu
// entries; the ZIP one is an empty archive, byte for byte the archiver's own.
std::vector<RegistryItem> ForeignOwners()
{
    HKEY classes = HKEY_CLASSES_ROOT;
    std::string emptyZip = std::string("PK\5\6", 4) + std::string(18, '\0');
    return {
        {classes, ".kez", "", REG_SZ, Sz("KezTool.Archive")},
        {classes, ".kez", "Content Type", REG_SZ, Sz("application/x-keztool")},
        {classes, ".kez\\ShellNew", "ItemName", REG_EXPAND_SZ, Sz("@%ProgramFiles%\\KezTool\\kt.dll,-3")},
        {classes, ".kez\\ShellNew", "Command", REG_SZ, Sz("\"C:\\KezTool\\kt.exe\" /new \"%1\"")},
        {classes, ".kez\\ShellNew\\Config", "NoExtension", REG_SZ, Sz("")},
        {classes, "KezTool.Archive", "", REG_SZ, Sz("KezTool archive")},
        {classes, "KezTool.Archive\\shell\\open\\command", "", REG_SZ,
         Sz("\"C:\\KezTool\\kt.exe\" \"%1\"")},
        {classes, ".zip", "", REG_SZ, Sz("OtherArc.Zip")},
        {classes, ".zip", "Content Type", REG_SZ, Sz("application/zip")},
        {classes, ".zip\\ShellNew", "Data", REG_BINARY, emptyZip},
        {classes, ".zip\\OpenWithProgids", "OtherArc.Zip", REG_NONE, ""},
        {classes, "OtherArc.Zip", "", REG_SZ, Sz("OtherArc ZIP archive")},
        {classes, ".cab", "", REG_SZ, Sz("OtherArc.Cab")},
        {classes, ".cab", "Content Type", REG_SZ, Sz("application/vnd.ms-cab-compressed")},
        {classes, ".cab", "PerceivedType", REG_SZ, Sz("compressed")},
        {classes, ".cab\\ShellNew", "NullFile", REG_SZ, Sz("")},
        {classes, "OtherArc.Cab", "", REG_SZ, Sz("OtherArc cabinet")},
    };
}

struct LinkItem {
    int folder;
    const char* name;
};

// Shortcuts of another product beside the archiver's, and one group whose
// name starts like the archiver's.
const LinkItem LinkBystanders[] = {
    {CSIDL_DESKTOPDIRECTORY, "OtherArc.lnk"},
    {CSIDL_DESKTOPDIRECTORY, "Lumbex Tools.lnk"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, "OtherArc.lnk"},
    {CSIDL_STARTMENU, "OtherArc.lnk"},
    {CSIDL_COMMON_STARTMENU, "OtherArc.lnk"},
    {CSIDL_PROGRAMS, "OtherArc\\OtherArc.lnk"},
    {CSIDL_PROGRAMS, "Lumbex Tools\\Lumbex.lnk"},
    {CSIDL_COMMON_PROGRAMS, "OtherArc\\OtherArc.lnk"},
};

std::string LinkPath(const LinkItem& link)
{
    return ShellFolderPath(link.folder) + "\\" + link.name;
}

std::string GroupOf(const LinkItem& link)
{
    std::string path = LinkPath(link);
    std::string name = link.name;
    return name.find('\\') == std::string::npos ? std::string() : path.substr(0, path.rfind('\\'));
}

// Shell keys that a fresh prefix lacks: those that setup creates on the way
// to its handler keys, and the one a shell window creates. Earlier tests
// leave them behind empty.
void ForgetEmptyShellKeys()
{
    for (const char* key : {"Drives\\shellex\\ContextMenuHandlers",
                            "Folder\\shellex\\DragDropHandlers",
                            "exefile\\shellex\\PropertySheetHandlers"})
        DeleteEmptyKeys(HKEY_CLASSES_ROOT, key);
    DeleteEmptyKeys(HKEY_CURRENT_USER, Windows + "Explorer\\Advanced");
}

class RoundTrip : public testing::Test {
protected:
    void SetUp() override
    {
        ForgetSetup();
        ForgetEmptyShellKeys();
        RemoveScriptsLeft();
        root = MakeSandbox("round trip");
        folder = root + "\\Lumbex Archiver";
        tool = folder + "\\Uninstall.exe";
        PlaceBystanders();
        bystanders = Bystanders();
    }

    void TearDown() override
    {
        CloseFolderWindows("Lumbex");
        Remove(OthersRegistry());
        Remove(ForeignOwners());
        for (const LinkItem& link : LinkBystanders) {
            DeleteFileA(LinkPath(link).c_str());
            if (!GroupOf(link).empty())
                RemoveDirectoryA(GroupOf(link).c_str());
        }
        ForgetSetup();
        ForgetEmptyShellKeys();
        RemoveTree(root);
        RemoveScriptsLeft();
    }

    void PlaceBystanders()
    {
        Place(OthersRegistry());
        std::string neighbour = root + "\\Lumbex Archiver 2";
        CreateDirectoryA(neighbour.c_str(), NULL);
        WriteBytes(root + "\\notes.txt", "beside the install folder");
        WriteBytes(neighbour + "\\keep.txt", "a folder whose name starts like the install folder");
        WriteBytes(neighbour + "\\read-only.txt", "kept as it is");
        SetFileAttributesA((neighbour + "\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        for (const LinkItem& link : LinkBystanders) {
            if (!GroupOf(link).empty())
                CreateDirectoryA(GroupOf(link).c_str(), NULL);
            CreateShortcut((neighbour + "\\keep.txt").c_str(), LinkPath(link).c_str(), "OtherArc");
        }
    }

    // Everything that belongs to others, byte for byte.
    std::string Bystanders()
    {
        std::string print;
        for (const std::string& line : RegistryState(OthersRegistry()))
            print += line + "\n";
        for (const char* file : {"notes.txt", "Lumbex Archiver 2\\keep.txt",
                                 "Lumbex Archiver 2\\read-only.txt"}) {
            std::string path = root + "\\" + file;
            print += path + " " + std::to_string(GetFileAttributesA(path.c_str())) + " " +
                     ReadBytes(path) + "\n";
        }
        for (const LinkItem& link : LinkBystanders)
            print += LinkPath(link) + " " + std::to_string(ReadBytes(LinkPath(link)).size()) +
                     " " + ReadBytes(LinkPath(link)) + "\n";
        return print;
    }

    // The install folder as the installer leaves it: the product, the help
    // engine's index files, and the list naming every file and folder installed.
    void Install()
    {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        ASSERT_TRUE(CopyFileA(ToolPath().c_str(), tool.c_str(), FALSE));
        ASSERT_TRUE(PlaceProduct(folder));
        ASSERT_TRUE(CreateDirectoryA((folder + "\\Formats").c_str(), NULL));
        for (const char* file : {"lumbex.hlp", "Kez.txt", "Formats\\kez.fmt", "lumbex.gid",
                                 "lumbex.fts"})
            ASSERT_TRUE(WriteBytes(folder + "\\" + file, "stand-in")) << file;
        ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                               "Uninstall.exe\r\nLumbex.exe\r\nkezext.dll\r\nlumbex.hlp\r\n"
                               "Kez.txt\r\nlicense.txt\r\nregister.frm\r\nFormats\\kez.fmt\r\n"
                               "Formats\r\nUninstall.lst\r\n"));
    }

    void SetupSilent()
    {
        RunResult run = RunProgram("\"" + tool + "\" /setup /s", folder, 20000);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(0u, run.exitCode);
    }

    // The options dialog as a user changes it: each box clicked once.
    void SetupInteractive(std::initializer_list<int> clicks)
    {
        DWORD start = GetTickCount();
        HANDLE process = StartProgram("\"" + tool + "\" /setup", folder);
        ASSERT_TRUE(process != NULL);
        HWND options = WaitForDialog("Lumbex Setup", IDOK, "OK", 15000);
        EXPECT_TRUE(options != NULL);
        for (int box : clicks)
            ClickButton(options, box);
        ClickButton(options, IDOK);
        HWND done = WaitForDialog("Lumbex Setup", IDOK, "Done", 15000);
        EXPECT_TRUE(done != NULL);
        ClickButton(done, IDOK);
        RunResult run = WaitProgram(process, start, 15000);
        CloseHandle(process);
        ASSERT_TRUE(run.finished);
    }

    // The uninstaller as the list of removable programs starts it, answered
    // Yes, and then its removal script to the end.
    void Uninstall()
    {
        DWORD start = GetTickCount();
        AnsweredRun answered = RunAnswering("\"" + tool + "\"", "C:\\", UninstallCaption, IDYES);
        ASSERT_TRUE(answered.box.found);
        ASSERT_TRUE(answered.run.finished);
        bool ended = Eventually([&] {
            return !Exists(tool) && !Exists(folder) && !ScriptLeft();
        }, 20000);
        printf("  uninstall and removal script: %lu ms\n", GetTickCount() - start);
        ASSERT_TRUE(ended) << "the removal script did not finish";
    }

    // Some of what setup writes, looked at before uninstall takes it away:
    // a round trip through a setup that did nothing would prove nothing.
    static void ExpectInstalled(bool shellExtension, bool group)
    {
        EXPECT_EQ("Lumbex", RegText(HKEY_CLASSES_ROOT, ".kez", ""));
        EXPECT_EQ("Lumbex.ZIP", RegText(HKEY_CLASSES_ROOT, ".zip", ""));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
        EXPECT_EQ(shellExtension, KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" SHELL_EXTENSION_CLSID));
        EXPECT_EQ(shellExtension, IsOwnShellNew(ArchiveTypeTable[0]));
        EXPECT_EQ(group, Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex\\Lumbex.lnk"));
        EXPECT_EQ(group, Exists(ShellFolderPath(CSIDL_COMMON_PROGRAMS) + "\\Lumbex\\Lumbex.lnk"));
    }

    Snapshot Before()
    {
        SnapshotCount count;
        Snapshot snapshot = TakeSnapshot(&count);
        printf("  snapshot before: %lu ms (registry %lu ms, drive C: %lu ms)\n",
               count.registryMs + count.filesMs, count.registryMs, count.filesMs);
        // An empty or cut snapshot would let any round trip pass.
        EXPECT_EQ("", count.problem);
        EXPECT_LT(10000u, count.keys);
        EXPECT_LT(1000u, count.files);
        return snapshot;
    }

    // Prints the difference with the reason for each line; a line that no
    // allowance explains fails.
    void ExpectOnlyAllowed(const char* way, const Snapshot& before)
    {
        SnapshotCount count;
        Snapshot after = TakeSnapshot(&count);
        EXPECT_EQ("", count.problem);
        printf("  snapshot after: %lu ms (registry %lu ms: %u keys, %u values; drive C: %lu ms: "
               "%u folders, %u files, %llu MB)\n",
               count.registryMs + count.filesMs, count.registryMs, (unsigned)count.keys,
               (unsigned)count.values, count.filesMs, (unsigned)count.folders,
               (unsigned)count.files, count.bytes >> 20);
        std::vector<std::string> difference = SnapshotDifference(before, after);
        printf("Round trip %s: %u lines of difference\n", way, (unsigned)difference.size());
        std::vector<Allowance> allowances = Allowances();
        for (const std::string& line : difference) {
            const Allowance* allowance = AllowanceFor(allowances, line);
            printf("  %s\n      allowed: %s\n", line.c_str(),
                   allowance ? allowance->reason.c_str() : "NO - not on the allowance list");
            EXPECT_TRUE(allowance != nullptr) << line;
        }
        fflush(stdout);
        EXPECT_EQ(bystanders, Bystanders());
    }

    std::string root;
    std::string folder;
    std::string tool;
    std::string bystanders;
};

TEST_F(RoundTrip, OnAFreshMachine)
{
    Snapshot before = Before();
    Install();
    SetupSilent();
    EXPECT_EQ(NULL, WaitForWindow("Lumbex", 0)) << "a silent run opened the program group";
    ExpectInstalled(true, true);
    Uninstall();
    ExpectOnlyAllowed("on a fresh machine", before);
}

TEST_F(RoundTrip, WithTheArchiveTypesOwnedByOtherPrograms)
{
    Place(ForeignOwners());
    std::vector<std::string> owners = RegistryState(ForeignOwners());
    Snapshot before = Before();
    Install();
    SetupSilent();
    EXPECT_EQ(NULL, WaitForWindow("Lumbex", 0)) << "a silent run opened the program group";
    ExpectInstalled(true, true);
    EXPECT_EQ("Lumbex", RegText(HKEY_CLASSES_ROOT, ".cab", ""));
    Uninstall();
    ExpectOnlyAllowed("with the archive types owned by other programs", before);
    EXPECT_EQ(owners, RegistryState(ForeignOwners()));
}

TEST_F(RoundTrip, AfterTwoSetupRunsWithDifferentChoices)
{
    Place(ForeignOwners());
    std::vector<std::string> owners = RegistryState(ForeignOwners());
    Snapshot before = Before();
    Install();
    // First as stored: ".kez" and ".zip" only, no shell integration, a
    // desktop shortcut and no program group.
    std::string off(4, '\0');
    std::string settings = std::string(SettingsKey) + "\\";
    for (const char* type : {".cab", ".arj", ".lzh"})
        SetRaw(HKEY_CURRENT_USER, settings + type, "Associated", REG_DWORD, off);
    SetRaw(HKEY_CURRENT_USER, SettingsKey, "ShellExt", REG_DWORD, off);
    SetRaw(HKEY_CURRENT_USER, settings + "Links", "Desktop", REG_DWORD, std::string("\1\0\0\0", 4));
    SetRaw(HKEY_CURRENT_USER, settings + "Links", "Programs", REG_DWORD, off);
    SetupSilent();
    ExpectInstalled(false, false);
    EXPECT_EQ("OtherArc.Cab", RegText(HKEY_CLASSES_ROOT, ".cab", ""));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Lumbex.lnk"));

    // Then as a user changes them: every type, shell integration, the Start
    // menu and the program groups.
    SetupInteractive({Cab, Arj, Lzh, ShellExt, StartMenu, Programs});
    ExpectGroupWindowAndClose();
    ExpectInstalled(true, true);
    EXPECT_EQ("Lumbex", RegText(HKEY_CLASSES_ROOT, ".cab", ""));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_STARTMENU) + "\\Lumbex.lnk"));

    Uninstall();
    ExpectOnlyAllowed("after two setup runs with different choices", before);
    EXPECT_EQ(owners, RegistryState(ForeignOwners()));
}

}  // namespace
