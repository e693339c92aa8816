// Writing the removal script into the real temporary folder and starting
// the interpreter on it. StartRemovalScript ends the process, so it runs
// in a child (a death test) that re-enters this test.
#include <gtest/gtest.h>

#include <string>

#include "resources/process.h"
#include "driver/sandbox.h"
#include "uninstall/uninstall.h"

namespace {

// The script for the tool in "C:\lumbex-tests\script 100% dir", whose "%"
// the interpreter would expand; first is its first line's command.
std::string Expected(const std::string& first)
{
    const std::string e = "\"C:\\lumbex-tests\\script 100%% dir\\Uninstall.exe\"";
    std::string attempts;
    for (int i = 0; i < 5; i++)
        attempts += "del " + e + "\r\nrd \"C:\\lumbex-tests\\script 100%% dir\"\r\n"
                    "if not exist " + e + " goto done\r\n";
    return first + e + " /wait\r\n" + attempts + ":done\r\nif exist " + e + " " + e +
           " /warning\r\ndel \"" + TempScript() + "\"";
}

class RemovalScriptFile : public testing::Test {
protected:
    std::string folder;
    char saved[MAX_PATH];
    DWORD savedPlatform;

    void SetUp() override
    {
        folder = MakeSandbox("script 100% dir");
        GetCurrentDirectoryA(sizeof saved, saved);
        savedPlatform = PlatformId;
        DeleteFileA(TempScript().c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(saved);
        PlatformId = savedPlatform;
        DeleteFileA(TempScript().c_str());
        RemoveTree(folder);
    }
};

TEST_F(RemovalScriptFile, NamesTheExecutableTheCurrentFolderAndItself)
{
    std::string executable = folder + "\\Uninstall.exe";
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    PlatformId = PlatformNt;
    ASSERT_TRUE(WriteRemovalScript(executable.c_str()));
    EXPECT_EQ(Expected(""), ReadBytes(TempScript()));
    PlatformId = PlatformWindows95;
    ASSERT_TRUE(WriteRemovalScript(executable.c_str()));
    EXPECT_EQ(Expected("start /wait "), ReadBytes(TempScript()));
}

TEST_F(RemovalScriptFile, NoUsableTemporaryFolderMeansNoScript)
{
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    char tmp[MAX_PATH], temp[MAX_PATH];
    GetEnvironmentVariableA("TMP", tmp, sizeof tmp);
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    std::string missing = folder + "\\no such folder\\";
    SetEnvironmentVariableA("TMP", missing.c_str());
    SetEnvironmentVariableA("TEMP", missing.c_str());
    bool written = WriteRemovalScript((folder + "\\Uninstall.exe").c_str());
    SetEnvironmentVariableA("TMP", tmp);
    SetEnvironmentVariableA("TEMP", temp);
    EXPECT_FALSE(written);
    EXPECT_FALSE(Exists(missing));

    // A path whose "%" would make a piece too long: nothing is left behind.
    std::string percents = "C:\\" + std::string(250, '%') + "\\Uninstall.exe";
    EXPECT_FALSE(WriteRemovalScript(percents.c_str()));
    EXPECT_FALSE(Exists(TempScript()));
}

// In the child: write the script for a folder below the sandbox, then put a
// probe in its place that records where and how the interpreter runs.
void StartProbe(DWORD platform, const std::string& folder)
{
    PlatformId = platform;
    std::string inner = folder + "\\install";
    CreateDirectoryA(inner.c_str(), NULL);
    SetCurrentDirectoryA(inner.c_str());
    if (!WriteRemovalScript((inner + "\\Uninstall.exe").c_str()))
        ExitProcess(3);
    std::string record = folder + "\\record.txt";
    for (size_t at = record.find('%'); at != std::string::npos; at = record.find('%', at + 2))
        record.insert(at, "%");
    WriteBytes(TempScript(), "@cd > \"" + record + "\"\r\n@del \"" + TempScript() + "\"");
    StartRemovalScript();
}

std::string WaitForRecord(const std::string& record)
{
    for (int i = 0; i < 200 && (!Exists(record) || Exists(TempScript())); i++)
        Sleep(50);
    Sleep(100);
    return ReadBytes(record);
}

// The temporary folder without its closing backslash, as "cd" shows it.
std::string TempFolder()
{
    std::string script = TempScript();
    return script.substr(0, script.rfind('\\'));
}

TEST_F(RemovalScriptFile, StartsTheInterpreterInTheScriptsFolderAndExits)
{
    std::string record = folder + "\\record.txt";
    EXPECT_EXIT(StartProbe(2, folder), testing::ExitedWithCode(0), "");
    EXPECT_EQ(TempFolder() + "\r\n", WaitForRecord(record));
    EXPECT_FALSE(Exists(TempScript()));
}

// From the parent of the install folder, which it leaves.
TEST_F(RemovalScriptFile, WindowsNinetyFiveFamilyStartsItDetachedOnTheNullDevice)
{
    std::string record = folder + "\\record.txt";
    EXPECT_EXIT(StartProbe(1, folder), testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder + "\r\n", WaitForRecord(record));
    EXPECT_FALSE(Exists(TempScript()));
}

// An interpreter in a folder with blanks, and a program planted where an
// unquoted command line would find it first: the tool itself, which does
// nothing with the tail "shell\cmd.exe /c ...".
TEST_F(RemovalScriptFile, AnInterpreterPathWithBlanksIsTakenWhole)
{
    std::string record = folder + "\\record.txt";
    std::string shellFolder = folder + "\\my shell";
    CreateDirectoryA(shellFolder.c_str(), NULL);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\cmd.exe").c_str(),
                          (shellFolder + "\\cmd.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(ToolPath().c_str(), (folder + "\\my.exe").c_str(), FALSE));
    char comspec[MAX_PATH];
    GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    SetEnvironmentVariableA("COMSPEC", (shellFolder + "\\cmd.exe").c_str());
    EXPECT_EXIT(StartProbe(2, folder), testing::ExitedWithCode(0), "");
    SetEnvironmentVariableA("COMSPEC", comspec);
    EXPECT_EQ(TempFolder() + "\r\n", WaitForRecord(record));
}

}  // namespace
