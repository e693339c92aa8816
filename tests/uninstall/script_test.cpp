// Writing the removal script into the real temporary folder and starting
// the interpreter on it. The script deletes the process's executable once
// the process has ended, so each start runs in a child (a death test) that
// re-enters this test and ends right after it.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/process.h"
#include "driver/sandbox.h"
#include "driver/ui_driver.h"
#include "uninstall/uninstall.h"

namespace {

// The script for the tool in "C:\lumbex-tests\script 100% dir", whose "%"
// the interpreter would expand; first is its first line's command, tail
// what follows the tail.
std::string Expected(const std::string& first, const std::string& tail)
{
    const std::string e = "\"C:\\lumbex-tests\\script 100%% dir\\Uninstall.exe\"";
    std::string attempts;
    for (int i = 0; i < 5; i++)
        attempts += "del " + e + "\r\nrd \"C:\\lumbex-tests\\script 100%% dir\\\"\r\n"
                    "if not exist " + e + " goto done\r\n";
    return first + e + " /wait\r\n" + attempts + ":done\r\nif exist " + e + " " + e +
           " /warning" + tail;
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.rfind('\\'));
}

std::string SidText(PSID sid)
{
    char* text = NULL;
    if (!ConvertSidToStringSidA(sid, &text))
        return "?";
    std::string result = text;
    LocalFree(text);
    return result;
}

std::string OwnSid()
{
    HANDLE token;
    BYTE buffer[256];
    DWORD needed = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return "?";
    BOOL found = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &needed);
    CloseHandle(token);
    return found ? SidText(((TOKEN_USER*)buffer)->User.Sid) : "?";
}

bool Elevated()
{
    HANDLE token;
    DWORD elevated = 0;
    DWORD needed = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        GetTokenInformation(token, TokenElevation, &elevated, sizeof elevated, &needed);
        CloseHandle(token);
    }
    return elevated != 0;
}

// A security descriptor as read back: "protected" first when nothing is
// inherited, then one "allow|other SID rights" line per entry of the access
// list and a "label SID policy" line per integrity label, sorted.
std::vector<std::string> AccessLines(PSECURITY_DESCRIPTOR descriptor)
{
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = NULL;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    if (!GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) || !present || !list)
        return {"no list"};
    PACL labels = NULL;
    BOOL labelled = FALSE;
    if (!GetSecurityDescriptorSacl(descriptor, &labelled, &labels, &defaulted))
        return {"unreadable labels"};
    std::vector<std::string> lines;
    for (PACL acl : {list, labelled ? labels : NULL}) {
        for (DWORD i = 0; acl && i < acl->AceCount; i++) {
            ACCESS_ALLOWED_ACE* ace = NULL;
            if (!GetAce(acl, i, (void**)&ace))
                return {"unreadable entry"};
            BYTE type = ace->Header.AceType;
            const char* kind = type == ACCESS_ALLOWED_ACE_TYPE           ? "allow "
                               : type == SYSTEM_MANDATORY_LABEL_ACE_TYPE ? "label "
                                                                         : "other ";
            char rights[16];
            sprintf(rights, "%08lx", ace->Mask);
            lines.push_back(kind + SidText(&ace->SidStart) + " " + rights);
        }
    }
    std::sort(lines.begin(), lines.end());
    if (control & SE_DACL_PROTECTED)
        lines.insert(lines.begin(), "protected");
    return lines;
}

std::vector<std::string> AccessList(const std::string& path)
{
    std::vector<BYTE> buffer(4096);
    DWORD needed = 0;
    if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION,
                          (PSECURITY_DESCRIPTOR)buffer.data(), (DWORD)buffer.size(), &needed))
        return {"unreadable"};
    return AccessLines((PSECURITY_DESCRIPTOR)buffer.data());
}

// Only the system, the administrators and, unless the token is elevated,
// the token's owner (then the account itself), each with every right;
// elevated, a high label that no lower writer passes instead.
std::vector<std::string> ExpectedAccess()
{
    char rights[16];
    sprintf(rights, "%08lx", (unsigned long)FILE_ALL_ACCESS);
    std::vector<std::string> expected = {"allow S-1-5-18 " + std::string(rights),
                                         "allow S-1-5-32-544 " + std::string(rights)};
    if (Elevated())
        expected.push_back("label S-1-16-12288 00000001");
    else
        expected.push_back("allow " + OwnSid() + " " + rights);
    std::sort(expected.begin(), expected.end());
    expected.insert(expected.begin(), "protected");
    return expected;
}

class RemovalScriptFile : public testing::Test {
protected:
    std::string folder;
    std::string planted;
    char saved[MAX_PATH];
    DWORD savedPlatform;

    void SetUp() override
    {
        folder = MakeSandbox("script 100% dir");
        planted = TempFolder() + "\\Uninstall.Kez.Bat";
        GetCurrentDirectoryA(sizeof saved, saved);
        savedPlatform = PlatformId;
        RemoveScriptsLeft();
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(saved);
        PlatformId = savedPlatform;
        RemoveScriptsLeft();
        DeleteFileA(planted.c_str());
        RemoveTree(folder);
    }
};

// A file planted where the script once went is neither reused nor changed:
// each script goes into a folder of its own, made for it.
TEST_F(RemovalScriptFile, NamesTheExecutableTheCurrentFolderAndItself)
{
    ASSERT_TRUE(WriteBytes(planted, "@echo planted\r\n"));
    std::string executable = folder + "\\Uninstall.exe";
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    PlatformId = PlatformNt;
    ASSERT_TRUE(WriteRemovalScript(executable.c_str()));
    std::string nt = RemovalScript();
    EXPECT_EQ(Expected("", ""), ReadBytes(nt));
    PlatformId = PlatformWindows95;
    ASSERT_TRUE(WriteRemovalScript(executable.c_str()));
    std::string ninetyFive;
    for (int i = 0; i < 2 && (ninetyFive.empty() || ninetyFive == nt); i++) {
        ninetyFive = RemovalScript();
        if (ninetyFive == nt)
            DeleteFileA(nt.c_str());
    }
    ASSERT_NE(nt, ninetyFive);
    EXPECT_EQ(Expected("start /wait ", "\r\ndel \"" + ninetyFive + "\""), ReadBytes(ninetyFive));
    EXPECT_EQ("@echo planted\r\n", ReadBytes(planted));
    for (const std::string& script : {nt, ninetyFive}) {
        std::string name = FolderOf(script).substr(TempFolder().size() + 1);
        EXPECT_EQ(15u, name.size()) << name;
        EXPECT_EQ(0u, name.find("Lumbex-")) << name;
    }
}

// Wine keeps access lists but does not enforce them: they are read back.
// Whether wine keeps the access list given to a new folder: it does only
// where the host's file system takes extended attributes.
static bool AccessListsKept(const std::string& folder)
{
    std::string probe = folder + "\\probe";
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;BA)", SDDL_REVISION_1,
                                                              &descriptor, NULL))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    bool made = CreateDirectoryA(probe.c_str(), &attributes);
    LocalFree(descriptor);
    std::vector<std::string> expected = {"protected", "allow S-1-5-32-544 001f01ff"};
    bool kept = made && AccessList(probe) == expected;
    RemoveDirectoryA(probe.c_str());
    return kept;
}

// What the folder and the script are made with, read back from the
// descriptor itself: wine 8 keeps neither access lists nor labels of files.
TEST(ScriptAccess, OnlyTheOwnerTheSystemAndTheAdministratorsMayChangeIt)
{
    ScriptAccess access;
    ASSERT_TRUE(MakeScriptAccess(&access));
    PSECURITY_DESCRIPTOR descriptor = access.attributes.lpSecurityDescriptor;
    EXPECT_EQ(ExpectedAccess(), AccessLines(descriptor));
    // Elevated, what is made belongs to the administrators, not to the user.
    PSID owner = NULL;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
    EXPECT_EQ(Elevated() ? "S-1-5-32-544" : "?", owner ? SidText(owner) : "?");
}

TEST_F(RemovalScriptFile, OnlyTheOwnerTheSystemAndTheAdministratorsMayChangeIt)
{
    if (!AccessListsKept(folder))
        GTEST_SKIP() << "wine keeps no access lists on this host's file system";
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    PlatformId = PlatformNt;
    ASSERT_TRUE(WriteRemovalScript((folder + "\\Uninstall.exe").c_str()));
    std::string script = RemovalScript();
    ASSERT_NE("", script);
    EXPECT_EQ(ExpectedAccess(), AccessList(FolderOf(script)));
    EXPECT_EQ(ExpectedAccess(), AccessList(script));

    // The Windows 95 family keeps no access lists: none is made there.
    RemoveScriptsLeft();
    PlatformId = PlatformWindows95;
    ASSERT_TRUE(WriteRemovalScript((folder + "\\Uninstall.exe").c_str()));
    script = RemovalScript();
    ASSERT_NE("", script);
    EXPECT_NE(ExpectedAccess(), AccessList(FolderOf(script)));
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

    // A path whose "%" would make a piece too long: nothing is left behind,
    // neither the script nor its folder.
    std::string percents = "C:\\" + std::string(250, '%') + "\\Uninstall.exe";
    EXPECT_FALSE(WriteRemovalScript(percents.c_str()));
    EXPECT_FALSE(ScriptLeft());
}

// In the child: write the script for a folder below the sandbox, then put a
// probe in its place that records where and how the interpreter runs.
// Given, probe replaces the script; given, temp is the temporary folder.
void StartProbe(DWORD platform, const std::string& folder, bool selfDeleting,
                const std::string& temp = "")
{
    PlatformId = platform;
    if (!temp.empty()) {
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
    }
    std::string inner = folder + "\\install";
    CreateDirectoryA(inner.c_str(), NULL);
    SetCurrentDirectoryA(inner.c_str());
    if (!WriteRemovalScript((inner + "\\Uninstall.exe").c_str()))
        ExitProcess(3);
    std::string record = folder + "\\record";
    for (size_t at = record.find('%'); at != std::string::npos; at = record.find('%', at + 2))
        record.insert(at, "%");
    // Written under another name and then renamed: the record is whole once it is there.
    std::string script = RemovalScript();
    WriteBytes(script, "@cd > \"" + record + ".part\"\r\n@ren \"" + record + ".part\" record.txt" +
                           (selfDeleting ? "\r\n@del \"" + script + "\"" : std::string()));
    ExitProcess(StartRemovalScript() ? 0 : 4);
}

// The probe writes its record under another name and renames it: once
// there, it is whole.
std::string WaitForRecord(const std::string& record, const std::string& script)
{
    Eventually([&] { return Exists(record) && !Exists(script); }, 20000);
    return ReadBytes(record);
}

std::string SystemFolder()
{
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    return std::string(system, length < sizeof system ? length : 0);
}

// In the system folder, on the script by its full path, also in a temporary
// folder whose name the interpreter would expand ("%PATH%") or split on its
// command line: it gets the short form. Once it has ended the script and
// its folder are gone: nothing is left in the temporary folder.
TEST_F(RemovalScriptFile, StartsTheInterpreterInTheSystemFolderAndExits)
{
    std::string record = folder + "\\record.txt";
    std::string temp = folder + "\\temp %PATH% & (x) ^ !";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), NULL));
    EXPECT_EXIT(StartProbe(PlatformNt, folder, false, temp), testing::ExitedWithCode(0), "");
    EXPECT_EQ(SystemFolder() + "\r\n", WaitForRecord(record, ""));
    EXPECT_TRUE(Eventually([&] { return !ScriptLeft(temp); }, 5000));
}

// A path whose short form holds a "%" as well is not started, and nothing
// is left (a separate test: each death test runs the test again up to it).
TEST_F(RemovalScriptFile, AScriptWhoseShortPathHoldsAPercentIsNotStarted)
{
    std::string temp = folder + "\\%PATH%";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), NULL));
    EXPECT_EXIT(StartProbe(PlatformNt, folder, false, temp), testing::ExitedWithCode(4), "");
    EXPECT_FALSE(Exists(folder + "\\record.txt"));
    EXPECT_FALSE(ScriptLeft(temp));
}

// From the parent of the install folder, which it leaves; the script is
// named by its full path and deletes itself.
TEST_F(RemovalScriptFile, WindowsNinetyFiveFamilyStartsItDetachedOnTheNullDevice)
{
    std::string record = folder + "\\record.txt";
    EXPECT_EXIT(StartProbe(PlatformWindows95, folder, true), testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder + "\r\n", WaitForRecord(record, RemovalScript()));
    EXPECT_EQ("", RemovalScript());
}

// "COMSPEC" may name any program: on the NT family the system's own
// interpreter runs all the same, and a program that "COMSPEC" names never
// does, even in a folder with blanks.
TEST_F(RemovalScriptFile, TheInterpreterIsTheSystems)
{
    std::string record = folder + "\\record.txt";
    std::string shellFolder = folder + "\\my shell";
    CreateDirectoryA(shellFolder.c_str(), NULL);
    ASSERT_TRUE(CopyFileA(FixturePath("product\\Lumbex.exe").c_str(),
                          (shellFolder + "\\cmd.exe").c_str(), FALSE));
    char comspec[MAX_PATH];
    GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    SetEnvironmentVariableA("COMSPEC", (shellFolder + "\\cmd.exe").c_str());
    EXPECT_EXIT(StartProbe(PlatformNt, folder, false), testing::ExitedWithCode(0), "");
    SetEnvironmentVariableA("COMSPEC", comspec);
    EXPECT_EQ(SystemFolder() + "\r\n", WaitForRecord(record, ""));
    EXPECT_FALSE(Exists(shellFolder + "\\cmd.log")) << ReadBytes(shellFolder + "\\cmd.log");
}

// In the child: a start that fails returns, with the script and its folder
// removed. On the Windows 95 family a "COMSPEC" outside the Windows and the
// system folder is not taken, and wine has no "COMMAND.COM" to take instead.
void StartFailing(const std::string& folder)
{
    PlatformId = PlatformWindows95;
    SetEnvironmentVariableA("COMSPEC", "cmd.exe");
    SetCurrentDirectoryA(folder.c_str());
    if (!WriteRemovalScript((folder + "\\Uninstall.exe").c_str()) || !ScriptLeft())
        ExitProcess(3);
    bool started = StartRemovalScript();
    ExitProcess(!started && !ScriptLeft() ? 7 : 8);
}

TEST_F(RemovalScriptFile, AStartThatFailsLeavesNothing)
{
    ASSERT_TRUE(CopyFileA(FixturePath("product\\Lumbex.exe").c_str(),
                          (folder + "\\cmd.exe").c_str(), FALSE));
    EXPECT_EXIT(StartFailing(folder), testing::ExitedWithCode(7), "");
    EXPECT_FALSE(Exists(folder + "\\cmd.log"));
}

}  // namespace
