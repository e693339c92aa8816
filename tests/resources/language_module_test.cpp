// The shipped German module must replace the own resource set as a whole:
// its dialogs carry the same controls as the own image's.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/dialog_template.h"
#include "driver/sandbox.h"
#include "resources/resource.h"
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
    LoadStringA(GetModuleHandleA(NULL), IDS_BAD_COMMAND_LINE, own, sizeof own);
    EXPECT_NE(own, Text(IDS_BAD_COMMAND_LINE));
    EXPECT_TRUE(IsSingleStringFormat(own));
    EXPECT_TRUE(IsSingleStringFormat(Text(IDS_BAD_COMMAND_LINE).c_str()));
    EXPECT_EQ("Bitte l\xF6schen Sie %s von Hand", Text(5106));
}

struct Kind {
    const char* cls;
    DWORD style;
};
const Kind Push = {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON};
const Kind Check = {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX};
const Kind Group = {"BUTTON", WS_CHILD | WS_VISIBLE | BS_GROUPBOX};
const Kind Text = {"STATIC", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT};
const Kind Centred = {"STATIC", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER};
const WORD None = 0xFFFF;

struct Control {
    WORD id;
    Kind kind;
};

// The controls in their tab order, as the code addresses them.
const std::vector<Control> SetupControls = {
    {IDOK, Push},          {None, Group},          {IDC_KEZ, Check},       {IDC_ZIP, Check},
    {IDC_CAB, Check},      {IDC_ARJ, Check},       {IDC_LZH, Check},       {None, Group},
    {IDC_DESKTOP, Check},  {IDC_STARTMENU, Check}, {IDC_PROGRAMS, Check},  {IDC_SHELLEXT, Check},
    {None, Group},         {IDC_CASCADED, Check},  {IDC_MENUICONS, Check}, {IDC_HELPBUTTON, Push},
    {None, Group},         {None, Text},
};
const std::vector<Control> DoneControls = {
    {IDOK, Push},         {None, Text},         {IDC_FOLDER, Text},     {None, Text},
    {None, Text},         {IDC_SCOPE, Text},    {None, Text},           {None, Group},
    {IDC_RUN, Push},
    {IDC_READHELP, Push}, {IDC_LICENSE, Push},  {IDC_PRICELIST, Push},  {IDC_HOMEPAGE, Push},
    {None, Group},        {IDC_THANKS, Centred},
};

// Both modules carry both dialogs with these controls, in their own caption;
// what the own image shows as text, the module translates.
TEST_F(German, BothModulesCarryTheDialogsWithTheSameControls)
{
    const DWORD frame =
        WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    const std::pair<const char*, const std::vector<Control>*> dialogs[] = {
        {"SETUPDLG", &SetupControls}, {"DONEDLG", &DoneControls}};
    for (const auto& dialog : dialogs) {
        Dialog own = ParseDialog(GetModuleHandleA(NULL), dialog.first);
        Dialog translated = ParseDialog(module, dialog.first);
        const std::pair<const Dialog*, const char*> modules[] = {
            {&own, "Lumbex Setup"}, {&translated, "Lumbex-Einrichtung"}};
        for (const auto& m : modules) {
            const Dialog& d = *m.first;
            std::string where = std::string(dialog.first) + " " + m.second;
            ASSERT_TRUE(d.found) << where;
            EXPECT_EQ(frame, d.style) << where;
            EXPECT_EQ(m.second, d.title) << where;
            ASSERT_EQ(dialog.second->size(), d.items.size()) << where;
            for (size_t i = 0; i < d.items.size(); i++) {
                const Control& expected = (*dialog.second)[i];
                EXPECT_EQ(expected.id, d.items[i].id) << where << " " << i;
                EXPECT_EQ(expected.kind.cls, d.items[i].cls) << where << " " << i;
                EXPECT_EQ(expected.kind.style, d.items[i].style) << where << " " << i;
                EXPECT_EQ(own.items[i].text.empty(), d.items[i].text.empty()) << where << " " << i;
            }
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
