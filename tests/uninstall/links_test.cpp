// Shortcut and program group removal on the prefix's real shell folders.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "resources/process.h"
#include "driver/installed_state.h"
#include "driver/sandbox.h"
#include "uninstall/uninstall.h"

namespace {

using Names = std::vector<std::string>;

class LinkRemoval : public testing::Test {
protected:
    DWORD savedPlatform;
    std::vector<std::string> others;

    void SetUp() override
    {
        savedPlatform = PlatformId;
        RemoveLinkStandIns();
        // What the uninstaller must leave: other shortcuts and groups.
        for (int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_STARTMENU, CSIDL_PROGRAMS})
            others.push_back(ShellFolderPath(folder) + "\\Other.lnk");
        others.push_back(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex Tools");
        for (const std::string& other : others)
            WriteBytes(other, "someone else's");
    }
    void TearDown() override
    {
        PlatformId = savedPlatform;
        RemoveLinkStandIns();
        for (const std::string& other : others)
            DeleteFileA(other.c_str());
    }
    void ExpectOthersKept()
    {
        for (const std::string& other : others)
            EXPECT_TRUE(Exists(other)) << other;
    }
};

TEST_F(LinkRemoval, NtFamilyRemovesBothGroupsWithAllTheyHold)
{
    PlaceLinkStandIns();
    std::string group = ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex";
    WriteBytes(group + "\\user added.txt", "x");
    CreateDirectoryA((group + "\\sub").c_str(), NULL);
    WriteBytes(group + "\\sub\\deeper.lnk", "x");
    ASSERT_EQ(Names({"desktop", "start menu", "group", "common group"}), PresentLinks());

    PlatformId = 2;
    RemoveLinks();
    EXPECT_EQ(Names(), PresentLinks());
    ExpectOthersKept();
}

TEST_F(LinkRemoval, OtherPlatformsLeaveTheCommonGroup)
{
    for (DWORD platform : {1u, 0u}) {
        PlaceLinkStandIns();
        PlatformId = platform;
        RemoveLinks();
        EXPECT_EQ(Names({"common group"}), PresentLinks()) << platform;
        ExpectOthersKept();
    }
}

TEST_F(LinkRemoval, GroupsGoAlsoWithoutTheShortcutsAndNothingThereIsHarmless)
{
    PlaceLinkStandIns();
    DeleteFileA((ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Lumbex.lnk").c_str());
    DeleteFileA((ShellFolderPath(CSIDL_STARTMENU) + "\\Lumbex.lnk").c_str());
    PlatformId = 2;
    RemoveLinks();
    EXPECT_EQ(Names(), PresentLinks());
    RemoveLinks();
    EXPECT_EQ(Names(), PresentLinks());
    ExpectOthersKept();
}

}  // namespace
