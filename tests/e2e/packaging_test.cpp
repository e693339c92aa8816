// The packaging example (examples/lumbex.nsi) built with makensis around the
// stand-in product: a silent install registers the product through the tool,
// and the product goes again through the tool's quiet command or through the
// installer's own uninstaller.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"
#include "resources/footprint.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const SessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const Pending = "PendingFileRenameOperations";
const char* const Listed = "Lumbex.exe\r\nkezext.dll\r\nlicense.txt\r\nregister.frm\r\n";

class Packaging : public testing::Test {
protected:
    std::string root;
    std::string folder;
    std::string temp;
    bool pending = false;       // the boot-time renames the prefix had before
    std::string renames;

    void SetUp() override
    {
        ForgetSetup();
        pending = ValueExists(HKEY_LOCAL_MACHINE, SessionManager, Pending);
        renames = RegRaw(HKEY_LOCAL_MACHINE, SessionManager, Pending);
        root = MakeSandbox("packaging");
        folder = root + "\\Lumbex";
        temp = root + "\\temp";
        ASSERT_TRUE(CreateDirectoryA(temp.c_str(), NULL));
    }
    void TearDown() override
    {
        CloseFolderWindows("Lumbex");
        ForgetSetup();
        // The installer's uninstaller leaves its copy in the temporary folder,
        // which may still be ending, and asks for it to be deleted at the
        // next boot, which never comes.
        EXPECT_TRUE(Eventually([&] { return RemoveTree(root); }, 10000));
        if (pending)
            SetRaw(HKEY_LOCAL_MACHINE, SessionManager, Pending, REG_MULTI_SZ, renames);
        else
            DeleteValue(HKEY_LOCAL_MACHINE, SessionManager, Pending);
    }

    std::vector<std::string> Variables() const { return {"TEMP=" + temp, "TMP=" + temp}; }
    bool ScriptEnded() const { return !ScriptLeft(temp); }

    // As a deployment tool installs: silently, into a folder of its choice.
    void Install(const std::string& installer)
    {
        HANDLE process = StartProgramWith(
            "\"" + FixturePath("nsis\\" + installer) + "\" /S /D=" + folder, root, Variables());
        ASSERT_TRUE(process != NULL);
        RunResult run = WaitProgram(process, GetTickCount(), 30000);
        CloseHandle(process);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(0u, run.exitCode);
        // A silent installer runs the silent setup, which opens no window.
        EXPECT_EQ(0, CloseFolderWindows("Lumbex"));
    }

    // The entries of the system's list that lead into the install folder.
    std::vector<std::string> EntriesOfTheFolder()
    {
        std::vector<std::string> entries;
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return entries;
        char name[256];
        for (DWORD i = 0;; i++) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            std::string path = std::string(UninstallKey) + "\\" + name;
            if (RegText(HKEY_LOCAL_MACHINE, path, "UninstallString").find(folder) !=
                std::string::npos)
                entries.push_back(name);
        }
        RegCloseKey(key);
        return entries;
    }

    void ExpectRegistered(const std::string& listed)
    {
        for (const char* name : {"Lumbex.exe", "kezext.dll", "license.txt", "register.frm",
                                 "Uninstall.exe"})
            EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
        EXPECT_EQ(listed, ReadBytes(folder + "\\Uninstall.lst"));
        EXPECT_EQ("\"" + folder + "\\Uninstall.exe\" /uninstall /s",
                  RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString"));
        EXPECT_EQ(folder, RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "InstallLocation"));
        EXPECT_EQ(std::vector<std::string>({"Lumbex archiver"}), EntriesOfTheFolder());
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex"));
    }

    void ExpectAllGone()
    {
        ExpectProductGone(folder);
        EXPECT_EQ(std::vector<std::string>(), EntriesOfTheFolder());
    }

    // Starts a command line outside the install folder and waits until the
    // folder and the removal script are gone; the exit code of the command.
    DWORD RemoveWith(const std::string& commandLine)
    {
        HANDLE process = StartProgramWith(commandLine, "C:\\", Variables());
        EXPECT_TRUE(process != NULL);
        if (!process)
            return 0xFFFFFFFF;
        RunResult run = WaitProgram(process, GetTickCount(), 30000);
        CloseHandle(process);
        EXPECT_TRUE(run.finished);
        EXPECT_TRUE(Eventually([&] { return !Exists(folder) && ScriptEnded(); }, 30000));
        return run.exitCode;
    }
};

TEST_F(Packaging, TheToolsQuietCommandRemovesWhatTheInstallerPutThere)
{
    Install("lumbex-setup.exe");
    ExpectRegistered(Listed);
    EXPECT_FALSE(Exists(folder + "\\uninst.exe"));
    std::string quiet = RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString");
    EXPECT_EQ(0u, RemoveWith(quiet));
    ExpectAllGone();
}

// One entry only: the installer's own uninstaller is listed for the tool to
// delete, and runs the tool's quiet command.
TEST_F(Packaging, TheInstallersOwnUninstallerRemovesItThroughTheTool)
{
    Install("lumbex-own.exe");
    ExpectRegistered(std::string(Listed) + "uninst.exe\r\n");
    ASSERT_TRUE(Exists(folder + "\\uninst.exe"));
    // The uninstaller hands over to a copy of itself in the temporary
    // folder and ends at once; the copy waits for the tool.
    EXPECT_EQ(0u, RemoveWith("\"" + folder + "\\uninst.exe\" /S"));
    ExpectAllGone();
}

}  // namespace
