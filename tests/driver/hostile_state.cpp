#include "driver/hostile_state.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "driver/long_path.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"

const char* const HostileRoot = "C:\\lumbex-tests\\hostile";
const char* const UninstallQuestion = "Uninstall Lumbex: Continue with uninstall Lumbex";

namespace {

const char* const Above = "C:\\lumbex-tests\\hostile-above.txt";
const char* const AtRoot = "C:\\hostile-root.txt";

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
    Place(OthersRegistry());
}

void RemoveBystanders()
{
    Remove(OthersRegistry());
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
    std::vector<std::string> others = RegistryState(OthersRegistry());
    state.insert(state.end(), others.begin(), others.end());
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
    return !ScriptLeft(folder);
}

void ExpectCleanRun(const WatchedRun& run, const std::vector<std::string>& windows,
                    DWORD exitCode)
{
    EXPECT_TRUE(run.finished) << run.label << " did not end";
    EXPECT_EQ(exitCode, run.exitCode) << run.label;
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
    // What a run left to the next restart must not reach the next test's files.
    DeleteValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                "PendingFileRenameOperations");
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
