#include "driver/hostile_state.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "driver/long_path.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"

const char* const HostileRoot = "C:\\lumbex-tests\\hostile";
const char* const UninstallQuestion = "Uninstall Lumbex: Continue with uninstall Lumbex";

namespace {

const char* const Above = "C:\\lumbex-tests\\hostile-above.txt";
const char* const AtRoot = "C:\\hostile-root.txt";
const std::string Windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string Approved = Windows + "Shell Extensions\\Approved";
const char* const OtherClass = "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B8}";

struct Key {
    HKEY root;
    const char* rootName;
    std::string path;
};

std::vector<Key> OthersKeys()
{
    return {
        {HKEY_CLASSES_ROOT, "HKCR", "Hostile.Bystander"},
        {HKEY_CLASSES_ROOT, "HKCR", ".hostile"},
        {HKEY_CLASSES_ROOT, "HKCR", "LumbexOther"},
        {HKEY_CLASSES_ROOT, "HKCR", "Lumbex.ZIPX"},
        {HKEY_CLASSES_ROOT, "HKCR", ".k20"},
        {HKEY_CLASSES_ROOT, "HKCR", "*\\shellex\\ContextMenuHandlers\\HostileBystander"},
        {HKEY_CLASSES_ROOT, "HKCR", std::string("CLSID\\") + OtherClass},
        {HKEY_CURRENT_USER, "HKCU", "Software\\LumbexOther"},
        {HKEY_LOCAL_MACHINE, "HKLM", Windows + "Uninstall\\Lumbex archiver 2"},
        {HKEY_LOCAL_MACHINE, "HKLM", Windows + "App Paths\\Lumbex2.exe"},
    };
}

void Text(HKEY root, const std::string& key, const std::string& name, const std::string& text)
{
    SetRaw(root, key, name, REG_SZ, Sz(text));
}

}  // namespace

std::vector<ToolBuild> ToolBuilds()
{
    return {{"shipped", ToolPath()}, {"checked", CheckedToolPath()}};
}

void PlaceBystanders()
{
    MakeFolderLong("C:\\lumbex-tests");
    MakeFolderLong(HostileRoot);
    WriteLong(std::string(HostileRoot) + "\\bystander.txt", "beside every install folder");
    WriteLong(Above, "above the sandbox");
    WriteLong(AtRoot, "at the drive root");

    HKEY classes = HKEY_CLASSES_ROOT;
    Text(classes, "Hostile.Bystander", "", "Another product's archive");
    Text(classes, "Hostile.Bystander\\shell\\open\\command", "", "\"C:\\Other\\other.exe\" \"%1\"");
    Text(classes, ".hostile", "", "Hostile.Bystander");
    Text(classes, ".hostile", "Content Type", "application/x-hostile");
    Text(classes, ".hostile\\ShellNew", "NullFile", "");
    Text(classes, "LumbexOther", "", "Not the archiver");
    Text(classes, "Lumbex.ZIPX", "", "Not the archiver either");
    Text(classes, ".k20", "", "Lumbex");
    Text(classes, "*\\shellex\\ContextMenuHandlers\\HostileBystander", "", OtherClass);
    Text(classes, std::string("CLSID\\") + OtherClass + "\\InProcServer32", "",
         "C:\\Other\\ext.dll");
    Text(HKEY_CURRENT_USER, "Software\\LumbexOther\\Setup", "Type", "kept");
    Text(HKEY_LOCAL_MACHINE, Windows + "Uninstall\\Lumbex archiver 2", "UninstallString",
         "C:\\Other\\Uninstall.exe");
    Text(HKEY_LOCAL_MACHINE, Windows + "App Paths\\Lumbex2.exe", "", "C:\\Other\\Lumbex2.exe");
    Text(HKEY_LOCAL_MACHINE, Approved, OtherClass, "Another shell extension");
}

void RemoveBystanders()
{
    for (const Key& key : OthersKeys())
        DeleteTree(key.root, key.path);
    DeleteEmptyKeys(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers");
    DeleteValue(HKEY_LOCAL_MACHINE, Approved, OtherClass);
    RemoveTreeLong(HostileRoot);
    DeleteFileA(Above);
    DeleteFileA(AtRoot);
}

std::vector<std::string> OutsideState(const std::vector<std::string>& installFolders)
{
    std::string root = HostileRoot;
    std::vector<std::string> state;
    for (const std::string& line : TreeLines(root)) {
        bool inside = false;
        for (const std::string& folder : installFolders) {
            std::string relative = folder.substr(root.size() + 1);
            inside = inside || line.compare(0, relative.size() + 1, relative + "\\") == 0 ||
                     line.compare(0, relative.size() + 1, relative + " ") == 0;
        }
        if (!inside)
            state.push_back(root + "\\" + line);
    }
    for (const std::string& line : FolderLines("C:\\lumbex-tests"))
        state.push_back("C:\\lumbex-tests\\" + line);
    for (const std::string& line : FolderLines("C:"))
        state.push_back("C:\\" + line);
    for (const Key& key : OthersKeys())
        for (const std::string& line : RegistryLines(key.root, key.path))
            state.push_back(std::string(key.rootName) + " " + line);
    state.push_back("HKLM " + Approved + " " + RegistryLine(HKEY_LOCAL_MACHINE, Approved,
                                                            OtherClass));
    return state;
}

bool PlaceTool(const ToolBuild& build, const std::string& folder)
{
    std::string bytes = ReadBytes(build.path);
    return !bytes.empty() && WriteLong(folder + "\\Uninstall.exe", bytes);
}

std::string ScriptFolder(const std::string& name)
{
    std::string folder = std::string(HostileRoot) + "\\temp";
    MakeFolderLong(folder);
    folder += "\\" + name;
    RemoveTreeLong(folder);
    MakeFolderLong(folder);
    return folder;
}

std::vector<std::string> ScriptVariables(const std::string& folder)
{
    return {"TMP=" + folder, "TEMP=" + folder};
}

bool ScriptGone(const std::string& folder)
{
    return !ExistsLong(folder + "\\Uninstall.Kez.Bat");
}

void ExpectCleanRun(const WatchedRun& run, const std::vector<std::string>& windows)
{
    EXPECT_TRUE(run.finished) << run.label << " did not end";
    EXPECT_EQ(0u, run.exitCode) << run.label;
    EXPECT_EQ(windows, run.windows) << run.label;
}

void ExpectNoCrash(const WatchReport& report)
{
    EXPECT_EQ(std::vector<std::string>(), report.crashes);
    EXPECT_EQ(std::vector<std::string>(), report.strays);
}

void HostileTest::SetUpTestSuite()
{
    ForgetSetup();
    RemoveBystanders();
    PlaceBystanders();
}

void HostileTest::TearDownTestSuite()
{
    RemoveBystanders();
    ForgetSetup();
}

void HostileTest::TearDown()
{
    ForgetSetup();
}

void HostileTest::PlaceFile(const std::string& folder, const std::string& entry,
                            DWORD attributes)
{
    for (size_t slash = entry.find('\\'); slash != std::string::npos;
         slash = entry.find('\\', slash + 1))
        MakeFolderLong(folder + "\\" + entry.substr(0, slash));
    std::string path = folder + "\\" + entry;
    ASSERT_TRUE(WriteLong(path, "stand-in")) << path;
    if (attributes)
        SetFileAttributesA(path.c_str(), attributes);
}

std::string HostileTest::NameOfLength(const std::string& folder, size_t length, char fill)
{
    return std::string(length - folder.size() - 1, fill);
}
