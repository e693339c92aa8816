#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/process.h"
#include "driver/dialog_template.h"
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

TEST_F(Loader, AMissingModuleYieldsEmptyTexts)
{
    ResourceModule = GetModuleHandleA("kernel32.dll");
    EXPECT_STREQ("", LoadText(IDS_UNINSTALL_TITLE));
}

const DWORD Push = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD Check = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD Group = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
const DWORD Text = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
const DWORD Centred = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER;

void ExpectFrame(const Dialog& d)
{
    EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              d.style);
    EXPECT_EQ(53, d.x);
    EXPECT_EQ(46, d.y);
    EXPECT_EQ(331, d.cx);
    EXPECT_EQ(214, d.cy);
    EXPECT_EQ("Lumbex Setup", d.title);
    EXPECT_EQ(8, d.points);
    EXPECT_EQ("MS Sans Serif", d.face);
}

void ExpectItems(const Dialog& d, const std::vector<Item>& expected)
{
    ASSERT_EQ(expected.size(), d.items.size());
    for (size_t i = 0; i < expected.size(); i++) {
        const Item& e = expected[i];
        const Item& a = d.items[i];
        EXPECT_EQ(e.id, a.id) << "item " << i;
        EXPECT_EQ(e.cls, a.cls) << "item " << i;
        EXPECT_EQ(e.style, a.style) << "item " << i;
        EXPECT_EQ(e.text, a.text) << "item " << i;
        EXPECT_EQ(e.x, a.x) << "item " << i;
        EXPECT_EQ(e.y, a.y) << "item " << i;
        EXPECT_EQ(e.cx, a.cx) << "item " << i;
        EXPECT_EQ(e.cy, a.cy) << "item " << i;
    }
}

TEST(Templates, SetupDialogMatchesItsLayout)
{
    Dialog d = ParseDialog(GetModuleHandleA(NULL), "SETUPDLG");
    ExpectFrame(d);
    const std::string explanation =
        "   These options control integration of Lumbex into Windows. The first group of "
        "options allows to choose archive types to handle by Lumbex. The second group selects "
        "places to put links to Lumbex executable. And the last group controls integration "
        "into Windows shell. Shell integration provides handy facilities like \"Extract\" item "
        "in archive context menus, so usually there is no reason to disable it.\n   Press "
        "\"Help\" button to read more detailed description of these options.";
    ExpectItems(d, {
        {Push, 111, 195, 50, 14, 1, "BUTTON", "OK"},
        {Group, 7, 5, 156, 118, 0xFFFF, "BUTTON", "Associate Lumbex with"},
        {Check, 16, 19, 127, 12, 5101, "BUTTON", "&KEZ archives"},
        {Check, 16, 39, 127, 12, 5102, "BUTTON", "&ZIP archives"},
        {Check, 16, 59, 127, 12, 5103, "BUTTON", "&CAB archives"},
        {Check, 16, 79, 127, 12, 5104, "BUTTON", "&ARJ archives"},
        {Check, 16, 99, 127, 12, 5105, "BUTTON", "&LZH archives"},
        {Group, 168, 5, 156, 57, 0xFFFF, "BUTTON", "Interface"},
        {Check, 176, 19, 127, 12, 5106, "BUTTON", "Put Lumbex to &Desktop"},
        {Check, 176, 31, 127, 12, 5107, "BUTTON", "Put Lumbex to &Start Menu"},
        {Check, 176, 43, 127, 12, 5108, "BUTTON", "Create Lumbex &program group"},
        {Check, 176, 79, 127, 12, 5109, "BUTTON", "&Integrate Lumbex into shell"},
        {Group, 168, 66, 156, 57, 0xFFFF, "BUTTON", "Shell integration"},
        {Check, 176, 92, 127, 12, 5110, "BUTTON", "Cascaded con&text menus"},
        {Check, 176, 105, 127, 12, 5111, "BUTTON", "Ico&ns in context menus"},
        {Push, 169, 195, 50, 14, 9, "BUTTON", "Help"},
        {Group, 7, 125, 317, 63, 0xFFFF, "BUTTON", ""},
        {Text, 12, 133, 306, 50, 0xFFFF, "STATIC", explanation},
    });
}

TEST(Templates, CompletionDialogMatchesItsLayout)
{
    Dialog d = ParseDialog(GetModuleHandleA(NULL), "DONEDLG");
    ExpectFrame(d);
    ExpectItems(d, {
        {Push, 140, 195, 50, 14, 1, "BUTTON", "Done"},
        {Text, 17, 14, 146, 8, 0xFFFF, "STATIC",
         "Lumbex has been successfully installed to the folder"},
        {Text, 164, 14, 150, 8, 5101, "STATIC", ""},
        {Text, 17, 33, 297, 8, 0xFFFF, "STATIC",
         "Use \"Settings...\" command from the Lumbex \"Options\" menu for further "
         "customization."},
        {Text, 17, 53, 297, 8, 0xFFFF, "STATIC",
         "If you installed Lumbex for the first time, do not forget to read online help."},
        {Text, 17, 101, 297, 16, 0xFFFF, "STATIC",
         "If you are not sure if you have the latest Lumbex version, please visit the Lumbex "
         "homepage."},
        {Group, 8, 2, 314, 125, 0xFFFF, "BUTTON", ""},
        {Push, 11, 131, 60, 14, 5102, "BUTTON", "&Run Lumbex"},
        {Push, 74, 131, 60, 14, 5103, "BUTTON", "Read &help"},
        {Push, 136, 131, 60, 14, 5104, "BUTTON", "View &license"},
        {Push, 198, 131, 60, 14, 5105, "BUTTON", "&Price list"},
        {Push, 259, 131, 60, 14, 5106, "BUTTON", "Ho&me page"},
        {Group, 8, 145, 314, 45, 0xFFFF, "BUTTON", ""},
        {Centred, 17, 163, 297, 8, 5107, "STATIC", "Thank you for using Lumbex !"},
    });
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
