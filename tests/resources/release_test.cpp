// What Windows reads from the executable before it runs: the manifest and
// the version information.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver/sandbox.h"

namespace {

std::string Resource(HMODULE module, LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return std::string();
    return std::string((const char*)LockResource(LoadResource(module, found)),
                       SizeofResource(module, found));
}

class Release : public testing::Test {
protected:
    HMODULE tool = NULL;
    void SetUp() override
    {
        tool = LoadLibraryExA(ToolPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(tool != NULL);
    }
    void TearDown() override { FreeLibrary(tool); }
};

TEST_F(Release, TheManifestAsksForTheHighestRightsAndDeclaresDpiAndSystems)
{
    std::string manifest = Resource(tool, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("level=\"highestAvailable\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos, manifest.find(">system</dpiAwareness>"));
    for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(std::string::npos, manifest.find(os)) << os;
}

TEST_F(Release, TheVersionInformationNamesTheTool)
{
    std::string block = Resource(tool, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    ASSERT_GT(block.size(), sizeof(VS_FIXEDFILEINFO));
    void* value = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(&block[0], "\\", &value, &length));
    const VS_FIXEDFILEINFO* fixed = (const VS_FIXEDFILEINFO*)value;
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    ASSERT_TRUE(VerQueryValueA(&block[0], "\\StringFileInfo\\040904E4\\OriginalFilename", &value,
                               &length));
    EXPECT_STREQ("Uninstall.exe", (const char*)value);
    ASSERT_TRUE(VerQueryValueA(&block[0], "\\StringFileInfo\\040904E4\\ProductName", &value,
                               &length));
    EXPECT_STREQ("Lumbex", (const char*)value);
}

}  // namespace
