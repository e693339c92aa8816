// Shared by the setup unit tests: the tool's start-up state with this test
// program's own resources, a clean machine, and an install folder that is the
// current directory, as in setup mode.
#ifndef LUMBEX_TESTS_SETUP_FIXTURE_H
#define LUMBEX_TESTS_SETUP_FIXTURE_H

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/app.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"

class SetupFixture : public testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
        StartUp(GetModuleHandleA(NULL));
        SilentMode = 0;
        ForgetSetup();
        install = MakeSandbox("setup unit");
        SetCurrentDirectoryA(install.c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previousFolder);
        ForgetSetup();
        SilentMode = 0;
        PlatformId = VER_PLATFORM_WIN32_NT;
        CleanUp();
        ResourceModule = GetModuleHandleA(NULL);
    }
    std::string InInstall(const std::string& name) const { return install + "\\" + name; }

    std::string install;
    char previousFolder[MAX_PATH];
};

// A folder whose full path has exactly the given length.
inline std::string FolderOfLength(size_t length)
{
    std::string base = MakeSandbox("long");
    std::string path = base + "\\" + std::string(100, 'a');
    CreateDirectoryA(path.c_str(), NULL);
    path += "\\" + std::string(length - path.size() - 1, 'b');
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

#endif
