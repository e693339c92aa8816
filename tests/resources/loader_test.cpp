#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver/sandbox.h"
#include "resources/process.h"
#include "resources/resource.h"
#include "resources/text.h"

namespace {

class Loader : public testing::Test {
protected:
    void SetUp() override { ResourceModule = GetModuleHandleA(NULL); }
};

TEST_F(Loader, TheOwnStringTableHoldsTheShippedTexts)
{
    const char* expected[] = {
        "Lumbex archiver",
        "Lumbex help",
        "Console KEZ manual",
        "Uninstall Lumbex",
        "Uninstall completed",
        "You should delete %s manually",
        "Continue with uninstall Lumbex",
        "Cannot open list file %s",
        "Lumbex archive",
        "Lumbex ZIP archive",
    };
    for (int i = 0; i < 10; i++)
        EXPECT_STREQ(expected[i], LoadText(5101 + i)) << 5101 + i;
    EXPECT_STREQ("", LoadText(5100));
    EXPECT_STREQ("Lumbex Setup", LoadText(IDS_SETUP_TITLE));
    EXPECT_STREQ("", LoadText(5114));
}

TEST_F(Loader, ATextStaysIntactThroughTheNextSevenCalls)
{
    const char* first = LoadText(IDS_UNINSTALL_TITLE);
    const char* caption = LoadText(IDS_CONFIRM);
    EXPECT_STREQ("Uninstall Lumbex", first);
    EXPECT_STREQ("Continue with uninstall Lumbex", caption);
    std::vector<const char*> slots = {first, caption};
    for (int i = 0; i < 6; i++)
        slots.push_back(LoadText(IDS_HELP_LINK));
    EXPECT_STREQ("Uninstall Lumbex", first);          // seven calls later
    for (size_t i = 0; i < slots.size(); i++)
        for (size_t j = i + 1; j < slots.size(); j++)
            EXPECT_NE(slots[i], slots[j]);
    const char* ninth = LoadText(IDS_ZIP_TYPE);       // the eighth call after it
    EXPECT_EQ(first, ninth);
    EXPECT_STREQ("Lumbex ZIP archive", first);
}

// A language module that lacks a text leaves it to the own image: a module
// without 5101 would write an empty "DisplayName", which hides the entry.
TEST_F(Loader, ATextTheModuleLacksComesFromTheOwnImage)
{
    HMODULE careless = LoadLibraryExA(FixturePath("badlng\\kezlng.dll").c_str(), NULL,
                                      LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(careless != NULL);
    struct Case {
        HMODULE module;
        HINSTANCE own;
        int id;
        const char* text;
    } cases[] = {
        {careless, GetModuleHandleA(NULL), IDS_DISPLAY_NAME, "Lumbex archiver"},
        {careless, GetModuleHandleA(NULL), IDS_ZIP_TYPE, "Lumbex ZIP archive"},
        {careless, GetModuleHandleA(NULL), IDS_SETUP_FAILED,
         "Lumbex Setup could not be completed (%s)."},
        {careless, GetModuleHandleA(NULL), IDS_UNINSTALL_TITLE, "Bad: Uninstall"},
        {careless, GetModuleHandleA(NULL), 5100, ""},
        {GetModuleHandleA("kernel32.dll"), GetModuleHandleA(NULL), IDS_CONFIRM,
         "Continue with uninstall Lumbex"},
        {GetModuleHandleA("kernel32.dll"), NULL, IDS_UNINSTALL_TITLE, ""},
    };
    HINSTANCE saved = OwnInstance;
    for (const Case& c : cases) {
        ResourceModule = c.module;
        OwnInstance = c.own;
        EXPECT_STREQ(c.text, LoadText(c.id)) << c.id;
    }
    OwnInstance = saved;
    ResourceModule = GetModuleHandleA(NULL);
    FreeLibrary(careless);
}

// Group icons by name, as the resource directory orders them.
BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR data)
{
    if (!IS_INTRESOURCE(name))
        ((std::vector<std::string>*)data)->push_back(name);
    return TRUE;
}

TEST(Templates, IconGroupsCarryThreeSizesAndDeliconComesFirst)
{
    std::vector<std::string> names;
    EnumResourceNamesA(GetModuleHandleA(NULL), (LPCSTR)RT_GROUP_ICON, CollectName,
                       (LONG_PTR)&names);
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("DELICON", names[0]);
    EXPECT_EQ("KEZICON", names[1]);
    for (const std::string& name : names) {
        HRSRC found = FindResourceA(NULL, name.c_str(), (LPCSTR)RT_GROUP_ICON);
        ASSERT_TRUE(found);
        const BYTE* dir = (const BYTE*)LockResource(LoadResource(NULL, found));
        WORD count = *(const WORD*)(dir + 4);
        ASSERT_EQ(3, count) << name;
        const int sizes[] = {32, 16, 48};
        for (int i = 0; i < 3; i++) {
            const BYTE* entry = dir + 6 + 14 * i;       // GRPICONDIRENTRY
            EXPECT_EQ(sizes[i], entry[0]) << name;
            EXPECT_EQ(sizes[i], entry[1]) << name;
            EXPECT_EQ(8, *(const WORD*)(entry + 6)) << name << ": 256 colours";
        }
    }
}

}  // namespace
