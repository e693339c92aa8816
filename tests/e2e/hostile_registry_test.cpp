// Both builds of the real executable against registry values of the wrong
// type or size in every place where it reads: the stored choices, the file
// types and content types of the archive extensions, and the file types
// saved for the uninstaller. Every run must end by itself with exit code 0
// and without a crash report, act only on values it could read whole, and
// leave the keys of others as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/hostile_state.h"
#include "driver/installed_state.h"
#include "driver/lumbex_state.h"
#include "driver/long_path.h"
#include "driver/run_watch.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"

namespace {

using Names = std::vector<std::string>;

const std::string Settings = SettingsKey;
const char* const Extensions[] = {".kez", ".zip", ".cab", ".arj", ".lzh"};

// The removal scripts of both uninstallers finish without a crash or a
// stray window, and nothing outside the install folders has changed.
void ExpectScriptsEndCleanly(const Names& scripts, const Names& folders, const Names& outside)
{
    std::vector<WatchedRun> none;
    WatchReport report;
    WatchRuns(&none, {"Uninstall Lumbex"}, 20000, &report,
              [&] { return ScriptGone(scripts[0]) && ScriptGone(scripts[1]); });
    ExpectNoCrash(report);
    EXPECT_EQ(outside, OutsideState(folders));
}

std::string Dword(DWORD value)
{
    return std::string((const char*)&value, 4);
}

std::string Setting(const std::string& extension)
{
    return Settings + "\\" + extension;
}

// The extension as setup leaves it when it took it over.
Names Associated(const std::string& extension)
{
    return {"[" + extension + "]",
            SzLine("@", extension == ".zip" ? "Lumbex.ZIP" : "Lumbex"),
            SzLine("Content Type", extension == ".kez" ? "application/x-kez-compressed"
                                                        : "application/x-compressed"),
            "[" + extension + "\\OpenWithProgids]",
            SzLine(extension == ".zip" ? "Lumbex.ZIP" : "Lumbex", "")};
}

class HostileRegistry : public HostileTest {
protected:
    void SetUp() override
    {
        ForgetSetup();
        for (const char* extension : Extensions)
            DeleteTree(HKEY_CLASSES_ROOT, extension);
    }
    void TearDown() override
    {
        for (const char* extension : Extensions)
            DeleteTree(HKEY_CLASSES_ROOT, extension);
        HostileTest::TearDown();
    }

    // Setup mode of a build, silent, in folder; it shows no window at all.
    void SilentSetup(const ToolBuild& build, const std::string& folder)
    {
        ASSERT_TRUE(PlaceTool(build, folder));
        std::vector<WatchedRun> runs(1);
        runs[0].label = "setup (" + build.name + ")";
        ASSERT_TRUE(StartRun(&runs[0], "\"" + folder + "\\Uninstall.exe\" /setup /s", folder));
        WatchReport report;
        WatchRuns(&runs, {"Uninstall Lumbex"}, 20000, &report);
        ExpectNoCrash(report);
        ExpectCleanRun(runs[0], {});
    }

    // The uninstaller of a build, answered Yes; returns when the tool has
    // ended, while its removal script may still run.
    void Uninstall(const std::string& folder, const std::string& scripts, const std::string& label)
    {
        std::vector<WatchedRun> runs(1);
        runs[0].label = label;
        ASSERT_TRUE(StartRun(&runs[0], "\"" + folder + "\\Uninstall.exe\"", "C:\\",
                             ScriptVariables(scripts)));
        WatchReport report;
        WatchRuns(&runs, {"Uninstall Lumbex"}, 20000, &report);
        ExpectNoCrash(report);
        ExpectCleanRun(runs[0], {UninstallQuestion});
    }

    // An install folder for each build, listing one product file, and a
    // folder for each one's removal script.
    static void MakeInstalls(const std::string& name, Names* folders, Names* scripts)
    {
        for (const ToolBuild& build : ToolBuilds()) {
            std::string folder = std::string(HostileRoot) + "\\" + name + build.name;
            RemoveTreeLong(folder);
            MakeFolderLong(folder);
            PlaceFile(folder, "product.txt");
            WriteLong(folder + "\\Uninstall.lst", "product.txt\r\n");
            folders->push_back(folder);
            scripts->push_back(ScriptFolder(name + build.name));
        }
    }
};

// The five extensions' keys, each with everything below it.
Names ExtensionTrees()
{
    Names trees;
    for (const char* extension : Extensions)
        trees.push_back(DumpTree(HKEY_CLASSES_ROOT, extension));
    return trees;
}

// Stored choices of every shape: too long (8 bytes, 100,000 bytes, 600-byte
// texts) counts as missing, so the default applies; shorter than 4 bytes
// fills only its own bytes. File types and content types that could not be
// given back whole (not a text, 513 bytes and more) leave their extension
// alone; those that fit (511 characters, no terminator) are saved, and the
// uninstaller gives them back. An extension whose New-menu entry is too big
// to be kept aside whole is still taken over, the entry left in place. Each
// round: setup by one build, uninstall by the other.
TEST_F(HostileRegistry, SetupReadsChoicesAndFileTypesOfAnyShape)
{
    std::vector<ToolBuild> builds = ToolBuilds();
    Names folders, scripts;
    MakeInstalls("registry-setup-", &folders, &scripts);
    for (const std::string& folder : folders)
        for (const char* product : {"Lumbex.exe", "kezext.dll"})
            PlaceFile(folder, product);
    Names outside = OutsideState(folders);
    HKEY user = HKEY_CURRENT_USER;
    HKEY machine = HKEY_LOCAL_MACHINE;     // where the previous types are kept
    HKEY classes = HKEY_CLASSES_ROOT;
    Names before;

    // File types of the wrong shape; content types as they should be, but
    // one without its terminator.
    SetRaw(classes, ".kez", "", REG_DWORD, Dword(7));
    SetText(classes, ".zip", "", std::string(599, 'Z'));
    SetText(classes, ".cab", "", std::string(511, 'C'));
    SetText(classes, ".arj", "", std::string(512, 'A'));
    SetRaw(classes, ".lzh", "", REG_SZ, "LzhOld");
    for (const char* extension : Extensions)
        SetText(classes, extension, "Content Type", std::string("application/x-old") + extension);
    SetRaw(classes, ".lzh", "Content Type", REG_SZ, "application/x-old.lzh");  // no terminator
    SetRaw(user, Setting(".kez"), "Associated", REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8));
    SetRaw(user, Setting(".zip"), "Associated", REG_SZ, Sz("1"));
    SetRaw(user, Setting(".cab"), "Associated", REG_BINARY, "\1");
    SetRaw(user, Setting(".arj"), "Associated", REG_BINARY, std::string(100000, '\0'));
    SetRaw(user, Setting(".lzh"), "Associated", REG_DWORD, Dword(1));
    SetRaw(user, Setting("Links"), "Desktop", REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8));
    SetRaw(user, Setting("Links"), "StartMenu", REG_SZ, Sz(std::string(599, '1')));
    SetRaw(user, Setting("Links"), "Programs", REG_BINARY, "");
    SetRaw(user, Settings, "ShellExt", REG_SZ, Sz(""));
    SetRaw(user, Settings, "CascadedMenu", REG_BINARY, std::string(100000, '\1'));
    SetRaw(user, Settings, "MenuIcons", REG_SZ, Sz(std::string(599, '0')));
    before = ExtensionTrees();

    SilentSetup(builds[1], folders[0]);

    for (int row : {0, 1, 3})
        EXPECT_EQ(before[row], DumpTree(classes, Extensions[row])) << Extensions[row];
    EXPECT_EQ(Associated(".cab"), RegistryLines(classes, ".cab"));
    EXPECT_EQ(Associated(".lzh"), RegistryLines(classes, ".lzh"));
    for (const char* extension : Extensions)
        EXPECT_EQ(DwordLine("Associated", 1), RegistryLine(user, Setting(extension), "Associated"))
            << extension;
    EXPECT_EQ(SzLine("Type", std::string(511, 'C')),
              RegistryLine(machine, Setting(".cab"), "Type"));
    EXPECT_EQ(SzLine("Content", "application/x-old.cab"),
              RegistryLine(machine, Setting(".cab"), "Content"));
    EXPECT_EQ(SzLine("Type", "LzhOld"), RegistryLine(machine, Setting(".lzh"), "Type"));
    for (const char* extension : {".kez", ".zip", ".arj"})
        EXPECT_EQ("<missing>", RegistryLine(machine, Setting(extension), "Type")) << extension;
    EXPECT_EQ(DwordLine("Desktop", 0), RegistryLine(user, Setting("Links"), "Desktop"));
    EXPECT_EQ(DwordLine("StartMenu", 0), RegistryLine(user, Setting("Links"), "StartMenu"));
    EXPECT_EQ(DwordLine("Programs", 0), RegistryLine(user, Setting("Links"), "Programs"));
    EXPECT_EQ(DwordLine("ShellExt", 0), RegistryLine(user, Settings, "ShellExt"));
    EXPECT_EQ(DwordLine("CascadedMenu", 0), RegistryLine(user, Settings, "CascadedMenu"));
    EXPECT_EQ(DwordLine("MenuIcons", 1), RegistryLine(user, Settings, "MenuIcons"));

    ASSERT_TRUE(PlaceTool(builds[0], folders[0]));
    Uninstall(folders[0], scripts[0], "after odd file types (" + builds[0].name + ")");
    for (int row : {0, 1, 2, 3})
        EXPECT_EQ(before[row], DumpTree(classes, Extensions[row])) << Extensions[row];
    EXPECT_EQ(Names({"[.lzh]", SzLine("@", "LzhOld"),
                     SzLine("Content Type", "application/x-old.lzh")}),
              RegistryLines(classes, ".lzh"));
    EXPECT_EQ(Names(), PresentArchiverRegistry());

    // Content types of the wrong shape, and another program's New-menu
    // entry too big to be kept aside whole; file types as they should be.
    for (const char* extension : Extensions) {
        DeleteTree(classes, extension);
        SetText(classes, extension, "", std::string("Old") + extension);
    }
    SetRaw(classes, ".kez", "Content Type", REG_DWORD, Dword(7));
    SetText(classes, ".zip", "Content Type", "application/x-old.zip");
    SetRaw(classes, ".zip\\ShellNew", "Data", REG_BINARY, std::string(2000, 'd'));
    SetText(classes, ".zip\\ShellNew", "Extra", "kept");
    SetText(classes, ".cab", "Content Type", std::string(511, 'c'));
    SetText(classes, ".arj", "Content Type", std::string(512, 'a'));
    SetRaw(classes, ".lzh", "Content Type", REG_BINARY, "application/x-lzh");
    SetRaw(user, Setting("Links"), "Programs", REG_DWORD, Dword(0));
    before = ExtensionTrees();
    std::string zipEntry = DumpTree(classes, ".zip\\ShellNew");

    SilentSetup(builds[0], folders[1]);

    for (int row : {0, 3, 4})
        EXPECT_EQ(before[row], DumpTree(classes, Extensions[row])) << Extensions[row];
    EXPECT_EQ(Associated(".cab"), RegistryLines(classes, ".cab"));
    EXPECT_EQ(SzLine("@", "Lumbex.ZIP"), RegistryLine(classes, ".zip", ""));
    EXPECT_EQ(zipEntry, DumpTree(classes, ".zip\\ShellNew"));
    EXPECT_EQ(SzLine("Type", "Old.zip"), RegistryLine(machine, Setting(".zip"), "Type"));
    EXPECT_EQ(SzLine("Type", "Old.cab"), RegistryLine(machine, Setting(".cab"), "Type"));
    EXPECT_EQ(SzLine("Content", std::string(511, 'c')),
              RegistryLine(machine, Setting(".cab"), "Content"));

    ASSERT_TRUE(PlaceTool(builds[1], folders[1]));
    Uninstall(folders[1], scripts[1], "after odd content types (" + builds[1].name + ")");
    for (int row = 0; row < 5; row++)
        EXPECT_EQ(before[row], DumpTree(classes, Extensions[row])) << Extensions[row];
    EXPECT_EQ(Names(), PresentArchiverRegistry());

    ExpectScriptsEndCleanly(scripts, folders, outside);
}

// Saved file types of every shape, as earlier versions kept them: only
// saved texts (as setup writes them) that fit are given back; a record that
// holds anything else cannot be given back as it was, so its extension
// stays as it is, with the ProgID it names, and the record stays with the
// product's settings. An extension's own value is recognised only when it
// can be read whole.
TEST_F(HostileRegistry, UninstallReadsSavedTypesOfAnyShape)
{
    std::vector<ToolBuild> builds = ToolBuilds();
    Names folders, scripts;
    MakeInstalls("registry-uninstall-", &folders, &scripts);
    for (size_t i = 0; i < builds.size(); i++)
        ASSERT_TRUE(PlaceTool(builds[i], folders[i]));
    Names outside = OutsideState(folders);
    HKEY user = HKEY_CURRENT_USER;
    HKEY classes = HKEY_CLASSES_ROOT;
    auto own = [&](const std::string& extension) {
        SetText(classes, extension, "", extension == ".zip" ? "Lumbex.ZIP" : "Lumbex");
        SetText(classes, extension, "Content Type",
             extension == ".kez" ? "application/x-kez-compressed" : "application/x-compressed");
    };

    PlaceSetupRegistry(folders[0]);
    for (const char* extension : Extensions)
        own(extension);
    SetRaw(user, Setting(".kez"), "Type", REG_DWORD, Dword(0x00414141));
    SetRaw(user, Setting(".kez"), "Content", REG_DWORD, Dword(0x00424242));
    SetRaw(user, Setting(".zip"), "Type", REG_BINARY, "ZipOld");
    SetRaw(user, Setting(".zip"), "Content", REG_SZ, "application/zip");
    SetRaw(classes, ".cab", "", REG_SZ, "Lumbex");
    SetText(user, Setting(".cab"), "Type", std::string(599, 'T'));
    SetRaw(user, Setting(".cab"), "Content", REG_BINARY, std::string(600, 'c'));
    SetText(classes, ".arj", "", "LUMBEX");
    SetText(user, Setting(".arj"), "Type", std::string(511, 'T'));
    SetText(user, Setting(".arj"), "Content", std::string(512, 'c'));
    SetText(classes, ".lzh", "", "Lumbex" + std::string(200, 'x'));
    SetText(user, Setting(".lzh"), "Type", "LzhOld");
    // Key names far longer than any the tool writes (the registry allows 255
    // characters; wine's ANSI calls stop at 260 for the whole path), below
    // keys that the uninstaller removes with everything in them.
    SetText(classes, "Lumbex\\shell\\" + std::string(220, 'v') + "\\command", "", "verb");
    SetText(user, Settings + "\\" + std::string(220, 'k'), "Other", "value");
    ASSERT_TRUE(KeyExists(classes, "Lumbex\\shell\\" + std::string(220, 'v') + "\\command"));
    ASSERT_TRUE(KeyExists(user, Settings + "\\" + std::string(220, 'k')));
    Names before = ExtensionTrees();

    Uninstall(folders[0], scripts[0], "saved types (shipped)");

    EXPECT_EQ(before, ExtensionTrees());
    const std::string settingsKept = "HKCU\\" + std::string(ProductKey);
    EXPECT_EQ(Names({"HKCR\\Lumbex", "HKCR\\Lumbex.ZIP", settingsKept}),
              PresentArchiverRegistry());
    for (const char* extension : {".kez", ".zip", ".cab", ".arj"})
        EXPECT_TRUE(ValueExists(user, Setting(extension), "Type")) << extension;
    EXPECT_TRUE(KeyExists(user, Settings + "\\" + std::string(220, 'k')));
    DeleteTree(user, ProductKey);

    PlaceSetupRegistry(folders[1]);
    for (const char* extension : Extensions)
        own(extension);
    SetRaw(classes, ".kez", "", REG_BINARY, "Lumbex");
    SetText(user, Setting(".kez"), "Type", "KezOld");
    SetText(classes, ".zip", "Content Type", std::string(599, 'z'));
    SetText(user, Setting(".zip"), "Type", "ZipOld");
    SetRaw(classes, ".cab", "", REG_SZ, Sz("Lumbex") + std::string(100, '\0'));
    SetText(user, Setting(".cab"), "Type", "CabOld");
    SetRaw(user, Setting(".arj"), "Type", REG_MULTI_SZ, std::string("ArjOld\0Second\0\0", 15));
    SetRaw(user, Setting(".lzh"), "Type", REG_EXPAND_SZ, Sz("%SystemRoot%\\lzh"));
    // Given back, ".zip" names its ProgID no more: it goes with that key.
    SetText(classes, "Lumbex.ZIP\\shell\\" + std::string(220, 'v') + "\\command", "", "verb");
    std::string cab = DumpTree(classes, ".cab");
    Names odd = {DumpTree(classes, ".arj"), DumpTree(classes, ".lzh")};

    Uninstall(folders[1], scripts[1], "saved types (checked)");

    EXPECT_EQ(Names({"[.kez]", SzLine("@", "KezOld"),
                     SzLine("Content Type", "application/x-oldkez")}),
              RegistryLines(classes, ".kez"));
    EXPECT_EQ(Names({"[.zip]", SzLine("@", "ZipOld"),
                     SzLine("Content Type", std::string(599, 'z'))}),
              RegistryLines(classes, ".zip"));
    EXPECT_EQ(cab, DumpTree(classes, ".cab"));
    EXPECT_EQ(odd, Names({DumpTree(classes, ".arj"), DumpTree(classes, ".lzh")}));
    EXPECT_EQ(Names({"HKCR\\Lumbex", settingsKept}), PresentArchiverRegistry());
    EXPECT_FALSE(ValueExists(user, Setting(".kez"), "Type"));     // given back: gone
    EXPECT_TRUE(ValueExists(user, Setting(".arj"), "Type"));

    ExpectScriptsEndCleanly(scripts, folders, outside);
}

}  // namespace
