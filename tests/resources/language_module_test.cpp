// The shipped German module must replace the own resource set as a whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver/dialog_template.h"
#include "driver/sandbox.h"
#include "resources/text.h"

namespace {

class German : public testing::Test {
protected:
    HMODULE module = NULL;
    void SetUp() override
    {
        module = LoadLibraryExA(FixturePath("german\\kezlng.dll").c_str(), NULL,
                                LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module != NULL);
    }
    void TearDown() override { FreeLibrary(module); }
    std::string Text(int id)
    {
        char text[256] = "";
        LoadStringA(module, id, text, sizeof text);
        return text;
    }
};

TEST_F(German, EveryStringIsTranslatedAndTheFormatsKeepOneString)
{
    char own[256];
    for (int id = 5101; id <= 5110; id++) {
        LoadStringA(GetModuleHandleA(NULL), id, own, sizeof own);
        EXPECT_FALSE(Text(id).empty()) << id;
        EXPECT_NE(own, Text(id)) << id;
    }
    EXPECT_TRUE(IsSingleStringFormat(Text(5106).c_str()));
    EXPECT_TRUE(IsSingleStringFormat(Text(5108).c_str()));
    EXPECT_EQ("Bitte l\xF6schen Sie %s von Hand", Text(5106));
}

TEST_F(German, BothDialogsKeepTheControlIdsKindsAndOrder)
{
    for (const char* name : {"SETUPDLG", "DONEDLG"}) {
        Dialog own = ParseDialog(GetModuleHandleA(NULL), name);
        Dialog translated = ParseDialog(module, name);
        ASSERT_TRUE(translated.found) << name;
        EXPECT_EQ(own.style, translated.style) << name;
        EXPECT_NE(own.title, translated.title) << name;
        ASSERT_EQ(own.items.size(), translated.items.size()) << name;
        for (size_t i = 0; i < own.items.size(); i++) {
            EXPECT_EQ(own.items[i].id, translated.items[i].id) << name << " " << i;
            EXPECT_EQ(own.items[i].cls, translated.items[i].cls) << name << " " << i;
            EXPECT_EQ(own.items[i].style, translated.items[i].style) << name << " " << i;
        }
    }
}

TEST_F(German, TheIconIsTheModulesOwn)
{
    HRSRC own = FindResourceA(GetModuleHandleA(NULL), "KEZICON", (LPCSTR)RT_GROUP_ICON);
    HRSRC translated = FindResourceA(module, "KEZICON", (LPCSTR)RT_GROUP_ICON);
    ASSERT_TRUE(own != NULL);
    ASSERT_TRUE(translated != NULL);
    EXPECT_EQ(3, *(const WORD*)((const BYTE*)LockResource(LoadResource(module, translated)) + 4));
}

}  // namespace
