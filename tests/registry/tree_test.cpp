#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/process.h"
#include "driver/sandbox.h"
#include "registry/registry.h"

namespace {

const std::string Base = "Software\\LumbexTest";

class Tree : public testing::Test {
protected:
    void SetUp() override
    {
        PlatformId = VER_PLATFORM_WIN32_NT;
        DeleteTree(HKEY_CURRENT_USER, Base);
        SetRegistryRoot(HKEY_CURRENT_USER);
    }
    void TearDown() override
    {
        PlatformId = VER_PLATFORM_WIN32_NT;
        DeleteTree(HKEY_CURRENT_USER, Base);
    }
    static std::string Key(const std::string& sub) { return Base + "\\" + sub; }
    static void Make(const std::string& sub, const std::string& value = "x")
    {
        SetRaw(HKEY_CURRENT_USER, Key(sub), "V", REG_SZ, value + std::string(1, '\0'));
    }
    static std::vector<std::string> Children(const std::string& sub)
    {
        std::vector<std::string> names;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Key(sub).c_str(), 0, KEY_READ, &key))
            return names;
        char name[256];
        for (DWORD i = 0;; i++) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key, i, name, &length, NULL, NULL, NULL, NULL))
                break;
            names.push_back(name);
        }
        RegCloseKey(key);
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(Tree, EachPassDeletesEveryOtherChildUntilTheKeyGoes)
{
    for (const char* child : {"K1", "K2", "K3", "K4", "K5"})
        Make(std::string("K\\") + child);
    std::string k = Key("K");
    EXPECT_FALSE(DeleteRegTreePass(k.c_str()));
    EXPECT_EQ((Names{"K2", "K4"}), Children("K"));
    EXPECT_FALSE(DeleteRegTreePass(k.c_str()));
    EXPECT_EQ((Names{"K4"}), Children("K"));
    EXPECT_TRUE(DeleteRegTreePass(k.c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, k));
    EXPECT_FALSE(DeleteRegTreePass(k.c_str()));
}

// The result says whether the tree is gone afterwards, whatever the last
// pass met: done when it went or was never there, not done when any of it
// stayed.
TEST_F(Tree, DeletionIsDoneExactlyWhenTheTreeIsGone)
{
    struct Row {
        const char* name;
        std::vector<std::string> made;      // below Base
        const char* locked;                 // a key below Base denied these rights
        DWORD denied;
        bool done;
        DWORD passes;
    } rows[] = {
        {"missing", {}, NULL, 0, true, 1},
        {"leaf", {"T"}, NULL, 0, true, 2},
        {"five children", {"T\\K1", "T\\K2", "T\\K3", "T\\K4", "T\\K5"}, NULL, 0, true, 4},
        {"a child not to be looked into", {"T\\A", "T\\Sealed\\Inner"}, "T\\Sealed",
         KEY_ENUMERATE_SUB_KEYS, false, 2},
        {"a grandchild not to be looked into", {"T\\A\\Sealed\\Inner"}, "T\\A\\Sealed",
         KEY_ENUMERATE_SUB_KEYS, false, 1},
        {"the key itself not to be read", {"T\\A"}, "T", KEY_READ, false, 1},
    };
    for (const Row& row : rows) {
        DeleteTree(HKEY_CURRENT_USER, Key("T"));
        for (const std::string& key : row.made)
            Make(key);
        if (row.locked)
            ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, Key(row.locked), row.denied)) << row.name;
        bool done = DeleteRegTree(Key("T").c_str());
        DWORD passes = DeleteRegTreePasses();
        if (row.locked)
            ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, Key(row.locked), 0)) << row.name;
        EXPECT_EQ(row.done, done) << row.name;
        EXPECT_EQ(row.passes, passes) << row.name;
        EXPECT_EQ(!row.done, KeyExists(HKEY_CURRENT_USER, Key("T"))) << row.name;
    }
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Base));
}

TEST_F(Tree, ADeepAndWideTreeGoesCompletely)
{
    std::string path = "Deep";
    int keys = 1;
    for (int depth = 0; depth < 40; depth++) {
        for (int sibling = 0; sibling < 3; sibling++, keys++)
            Make(path + "\\S" + std::to_string(sibling));
        path += "\\D" + std::to_string(depth);
        Make(path);
        keys++;
    }
    Make("Bystander");
    EXPECT_TRUE(DeleteRegTree(Key("Deep").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Deep")));
    EXPECT_LE(DeleteRegTreePasses(), (DWORD)keys + 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("Bystander")));
}

TEST_F(Tree, KeysWithTheLongestNamesGoAndAreCopied)
{
    std::string name(220, 'N');
    Make("Names\\" + name + "\\Child");
    Make("Names\\" + name, "long");
    EXPECT_TRUE(CopyRegTree(Key("Names").c_str(), Key("Copy").c_str()));
    EXPECT_EQ("long", RegText(HKEY_CURRENT_USER, Key("Copy\\" + name), "V"));
    EXPECT_TRUE(DeleteRegTree(Key("Names").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Names")));
}

TEST_F(Tree, KeysBeyondThePathLimitsAreLeftAloneWithoutHarm)
{
    // A parent path of 375 bytes with a child of 150: the child path would
    // not fit 512 bytes. Wine's ANSI calls refuse paths over 260 characters,
    // so the tree is made with the wide calls and must come through intact.
    std::wstring parent = L"Software\\LumbexTest\\Long\\" + std::wstring(199, L'A') + L"\\" +
                          std::wstring(150, L'B');
    HKEY parentKey = NULL;
    ASSERT_EQ(0, RegCreateKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                                 NULL, &parentKey, NULL));
    HKEY childKey = NULL;
    ASSERT_EQ(0, RegCreateKeyExW(parentKey, std::wstring(150, L'C').c_str(), 0, NULL, 0,
                                 KEY_ALL_ACCESS, NULL, &childKey, NULL));
    RegCloseKey(childKey);
    std::string narrow(parent.begin(), parent.end());
    EXPECT_FALSE(DeleteRegTree(narrow.c_str()));
    EXPECT_FALSE(RemoveRegTree(Key("Long").c_str()));
    EXPECT_FALSE(CopyRegTree(Key("Long").c_str(), Key("Copy").c_str()));
    DWORD subkeys = 0;
    EXPECT_EQ(0, RegQueryInfoKeyW(parentKey, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL,
                                  NULL, NULL, NULL));
    EXPECT_EQ(1u, subkeys);
    RegCloseKey(parentKey);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("Long")));
}

TEST_F(Tree, TheWindows95FamilyDeletesWithOneCallWhenThePlatformAllows)
{
    PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_TRUE(DeleteRegTree(Key("Missing").c_str()));    // passes = 1 from here
    Make("Leaf");
    EXPECT_TRUE(RemoveRegTree(Key("Leaf").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Leaf")));
    EXPECT_EQ(1u, DeleteRegTreePasses()) << "no pass-based deletion ran";

    // Wine refuses a key with subkeys, as the NT family does: passes follow.
    Make("T\\A\\B");
    Make("T\\C");
    EXPECT_TRUE(RemoveRegTree(Key("T").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("T")));
    EXPECT_GE(DeleteRegTreePasses(), 2u);

    PlatformId = VER_PLATFORM_WIN32_NT;
    Make("Leaf");
    EXPECT_TRUE(RemoveRegTree(Key("Leaf").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Leaf")));
    EXPECT_EQ(2u, DeleteRegTreePasses());
}

TEST_F(Tree, CopyEmptiesTheDestinationAndKeepsExactTypesAndLengths)
{
    std::string src = Key("Src");
    struct Value {
        const char* name;
        DWORD type;
        std::string bytes;
    };
    const Value values[] = {
        {"", REG_SZ, std::string("default\0", 8)},
        {"Sz", REG_SZ, std::string("text\0", 5)},
        {"Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 10)},
        {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"Dword", REG_DWORD, std::string("\x01\x00\x00\x80", 4)},
        {"Qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"Binary", REG_BINARY, std::string("\x00\xFF\x00", 3)},
        {"Empty", REG_BINARY, ""},
        {"None", REG_NONE, "n"},
        {"Full", REG_BINARY, std::string(1000, '\x7F')},
    };
    for (const Value& v : values)
        SetRaw(HKEY_CURRENT_USER, src, v.name, v.type, v.bytes);
    Make("Src\\Child\\Grandchild", "deep");
    Make("Dst\\Stale");
    SetRaw(HKEY_CURRENT_USER, Key("Dst"), "Old", REG_SZ, std::string("old\0", 4));

    EXPECT_TRUE(CopyRegTree(src.c_str(), Key("Dst").c_str()));
    for (const Value& v : values) {
        EXPECT_EQ(v.type, RegType(HKEY_CURRENT_USER, Key("Dst"), v.name)) << v.name;
        EXPECT_EQ(v.bytes, RegRaw(HKEY_CURRENT_USER, Key("Dst"), v.name)) << v.name;
    }
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Key("Dst"), "Old"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Dst\\Stale")));
    EXPECT_EQ("deep", RegText(HKEY_CURRENT_USER, Key("Dst\\Child\\Grandchild"), "V"));
    EXPECT_EQ("text", RegText(HKEY_CURRENT_USER, src, "Sz"));
}

TEST_F(Tree, CopyRefusesMissingSourcesOverlapsAndReportsIncompleteCopies)
{
    Make("Dst");
    EXPECT_FALSE(CopyRegTree(Key("Missing").c_str(), Key("Dst").c_str()));
    EXPECT_EQ("x", RegText(HKEY_CURRENT_USER, Key("Dst"), "V"));

    Make("Src\\Inner");
    EXPECT_FALSE(CopyRegTree(Key("Src").c_str(), Key("Src").c_str()));
    EXPECT_FALSE(CopyRegTree(Key("Src").c_str(), Key("SRC\\Inner\\Deeper").c_str()));
    EXPECT_FALSE(CopyRegTree(Key("Src\\Inner").c_str(), Key("src").c_str()));
    EXPECT_EQ("x", RegText(HKEY_CURRENT_USER, Key("Src\\Inner"), "V"));
    EXPECT_TRUE(CopyRegTree(Key("Src").c_str(), Key("Src2").c_str()));

    // Names compare as the registry compares them, beyond ASCII too (the
    // letters are A and a with diaeresis in the test's code page 1252).
    Make("\xC4\\Inner");
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("\xE4\\INNER")));
    EXPECT_FALSE(CopyRegTree(Key("\xC4").c_str(), Key("\xE4\\inner\\Deeper").c_str()));
    EXPECT_FALSE(CopyRegTree(Key("Src\\").c_str(), Key("Src\\Inner").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("\xC4\\Inner\\Deeper")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Src\\Inner\\Inner")));

    // "" is the root itself, which holds every key.
    Make("Root\\Inside");
    HKEY root;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_CURRENT_USER, Key("Root").c_str(), 0, KEY_ALL_ACCESS, &root));
    SetRegistryRoot(root);
    EXPECT_FALSE(CopyRegTree("", "Copy"));
    EXPECT_FALSE(CopyRegTree("Inside", ""));
    SetRegistryRoot(HKEY_CURRENT_USER);
    RegCloseKey(root);
    EXPECT_EQ((Names{"Inside"}), Children("Root"));

    SetRaw(HKEY_CURRENT_USER, Key("Big"), "Huge", REG_BINARY, std::string(1001, 'h'));
    EXPECT_FALSE(CopyRegTree(Key("Big").c_str(), Key("BigCopy").c_str()));

    // A destination that cannot be emptied: a key below it that may not be
    // looked into stays, and would mix with the copy.
    Make("Locked\\Sealed\\Inner");
    ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, Key("Locked\\Sealed"), KEY_ENUMERATE_SUB_KEYS));
    bool copied = CopyRegTree(Key("Src").c_str(), Key("Locked").c_str());
    ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, Key("Locked\\Sealed"), 0));
    EXPECT_FALSE(copied);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("Locked\\Sealed\\Inner")));
}

TEST_F(Tree, ShiftingDownMovesEachKeyOneNumberLower)
{
    Make("N\\3", "three");
    Make("N\\4", "four");
    Make("N\\5\\Sub", "five");
    std::string pattern = Key("N\\%d");
    EXPECT_TRUE(ShiftRegKeysDown(pattern.c_str(), 3));
    EXPECT_EQ("four", RegText(HKEY_CURRENT_USER, Key("N\\3"), "V"));
    EXPECT_EQ("five", RegText(HKEY_CURRENT_USER, Key("N\\4\\Sub"), "V"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("N\\5")));

    Make("M\\7", "seven");
    ShiftRegKeysDown(Key("M\\%02d").c_str(), 7);    // "07" does not exist
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("M\\7")));
    Make("M\\07", "seven");
    EXPECT_TRUE(ShiftRegKeysDown(Key("M\\%02d").c_str(), 7));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("M\\07")));

    EXPECT_FALSE(ShiftRegKeysDown(Key("M\\%s").c_str(), 7));     // not a number pattern
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("M\\7")));

    // The run ends at the largest number; nothing wraps round to the lowest.
    Make("X\\2147483646", "below");
    Make("X\\2147483647", "largest");
    Make("X\\-2147483648", "lowest");
    EXPECT_FALSE(ShiftRegKeysDown(Key("X\\%d").c_str(), 2147483647));
    EXPECT_EQ("largest", RegText(HKEY_CURRENT_USER, Key("X\\2147483647"), "V"));
    EXPECT_TRUE(ShiftRegKeysDown(Key("X\\%d").c_str(), 2147483646));
    EXPECT_EQ("largest", RegText(HKEY_CURRENT_USER, Key("X\\2147483646"), "V"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("X\\2147483647")));
    EXPECT_EQ("lowest", RegText(HKEY_CURRENT_USER, Key("X\\-2147483648"), "V"));
}

TEST_F(Tree, ShiftingNeverDeletesWhatWasNotCopied)
{
    Make("N\\1", "one");
    Make("N\\2", "two");
    SetRaw(HKEY_CURRENT_USER, Key("N\\2"), "Huge", REG_BINARY, std::string(2000, 'h'));
    EXPECT_FALSE(ShiftRegKeysDown(Key("N\\%d").c_str(), 1));     // the run did not move
    EXPECT_EQ(std::string(2000, 'h'), RegRaw(HKEY_CURRENT_USER, Key("N\\2"), "Huge"));
}

TEST_F(Tree, ShiftingUpFreesTheLowNumber)
{
    Make("U\\1", "one");
    Make("U\\2", "two");
    Make("U\\3", "three");
    EXPECT_TRUE(ShiftRegKeysUp(Key("U\\%d").c_str(), 1, 4));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("U\\1")));
    EXPECT_EQ("one", RegText(HKEY_CURRENT_USER, Key("U\\2"), "V"));
    EXPECT_EQ("two", RegText(HKEY_CURRENT_USER, Key("U\\3"), "V"));
    EXPECT_EQ("three", RegText(HKEY_CURRENT_USER, Key("U\\4"), "V"));

    // A gap stops the shift; the low key has not moved and stays.
    Make("G\\1", "one");
    Make("G\\2", "two");
    Make("G\\4", "four");
    EXPECT_FALSE(ShiftRegKeysUp(Key("G\\%d").c_str(), 1, 5));
    EXPECT_EQ("one", RegText(HKEY_CURRENT_USER, Key("G\\1"), "V"));
    EXPECT_EQ("two", RegText(HKEY_CURRENT_USER, Key("G\\2"), "V"));
    EXPECT_EQ("four", RegText(HKEY_CURRENT_USER, Key("G\\5"), "V"));
}

// The machine's keys in the view that the tool is given, the 64-bit one,
// beside keys of the same name in the 32-bit view, which stay as they are.
// Only a 32-bit build under WoW64 tells the two apart.
TEST_F(Tree, EveryRoutineWorksInTheViewItIsGiven)
{
    const REGSAM views[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    HKEY key;
    for (REGSAM view : views) {
        ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key("View\\Src").c_str(), 0, NULL, 0,
                                     KEY_WRITE | view, NULL, &key, NULL));
        RegSetValueExA(key, "V", 0, REG_SZ, (const BYTE*)(view == views[0] ? "64" : "32"), 3);
        RegCloseKey(key);
    }
    SetNativeRegistryView(true);
    char text[8] = "";
    EXPECT_TRUE(CopyRegTree(Key("View\\Src").c_str(), Key("View\\Dst").c_str()));
    EXPECT_TRUE(ReadRegText(Key("View\\Dst").c_str(), "V", text, sizeof text));
    EXPECT_STREQ("64", text);
    EXPECT_TRUE(DeleteRegTree(Key("View").c_str()));
    SetNativeRegistryView(false);
    EXPECT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key("View\\Src").c_str(), 0,
                               KEY_READ | views[1], &key));
    RegCloseKey(key);
    for (REGSAM view : views)
        if (!RegOpenKeyExA(HKEY_LOCAL_MACHINE, Base.c_str(), 0, KEY_ALL_ACCESS | view, &key)) {
            RegDeleteTreeA(key, "View");
            RegCloseKey(key);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Base.c_str(), view, 0);
        }
}

TEST_F(Tree, EnumerationNamesSubkeysByTheirFullPath)
{
    Make("E\\First");
    Make("E\\Second");
    char out[64];
    memset(out, 'Q', sizeof out);
    ASSERT_TRUE(EnumRegSubkey(Key("E").c_str(), 1, out, sizeof out));
    EXPECT_EQ(Key("E\\Second"), out);
    for (size_t i = Key("E\\Second").size(); i < sizeof out; i++)
        ASSERT_EQ(0, out[i]) << i;
    EXPECT_FALSE(EnumRegSubkey(Key("E").c_str(), 2, out, sizeof out));
    EXPECT_FALSE(EnumRegSubkey(Key("Missing").c_str(), 0, out, sizeof out));
    EXPECT_FALSE(EnumRegSubkey(Key("E").c_str(), 0, out, 10));     // would be cut

    char first[256];
    DWORD length = sizeof first;
    ASSERT_EQ(0, RegEnumKeyExA(HKEY_CURRENT_USER, 0, first, &length, NULL, NULL, NULL, NULL));
    ASSERT_TRUE(EnumRegSubkey("", 0, out, sizeof out));
    EXPECT_STREQ(first, out);

    EXPECT_TRUE(RegKeyExists(Key("E\\First").c_str()));
    EXPECT_FALSE(RegKeyExists(Key("E\\Third").c_str()));
}

}  // namespace
