#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "app/app.h"
#include "driver/ui_driver.h"
#include "registry/registry.h"

namespace {

TEST(StartUp, WithoutALanguageModuleEverythingComesFromTheOwnImage)
{
    HINSTANCE self = GetModuleHandleA(NULL);
    SetRegistryRoot(HKEY_CURRENT_USER);
    StartUp(self);
    EXPECT_FALSE(ResourceModuleLoaded);
    EXPECT_EQ(self, ResourceModule);
    EXPECT_EQ(self, OwnInstance);
    EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, PlatformId);
    EXPECT_EQ(HKEY_CLASSES_ROOT, GetRegistryRoot());
    ASSERT_TRUE(AppIcon != NULL);
    ICONINFO icon;
    ASSERT_TRUE(GetIconInfo(AppIcon, &icon));
    BITMAP mask;
    GetObjectA(icon.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(32, mask.bmWidth);
    DeleteObject(icon.hbmMask);
    DeleteObject(icon.hbmColor);
    CleanUp();
}

TEST(Dispatch, WaitSleepsTwoSecondsAndSilentAloneDoesNothing)
{
    StartUp(GetModuleHandleA(NULL));
    SilentMode = 0;
    DWORD start = GetTickCount();
    DispatchCommandTail("/s");
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(1, SilentMode);

    SilentMode = 0;
    start = GetTickCount();
    DispatchCommandTail("/WAIT");
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1950u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_EQ(0, SilentMode);
    CleanUp();
}

TEST(Dispatch, WarningNamesTheExecutable)
{
    StartUp(GetModuleHandleA(NULL));
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    BoxAnswer answer;
    std::thread user([&] { answer = AnswerMessageBox("Uninstall Lumbex", IDOK, 10000); });
    DispatchCommandTail("/warning");
    user.join();
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(std::string("Uninstall completed\nYou should delete ") + self + " manually",
              answer.text);
    CleanUp();
}

}  // namespace
