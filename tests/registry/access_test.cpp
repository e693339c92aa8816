#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "driver/sandbox.h"
#include "registry/registry.h"
#include "resources/footprint.h"

namespace {

const char* AccessBase = "Software\\LumbexTest";

class Access : public testing::Test {
protected:
    void SetUp() override
    {
        ReleaseHeldRegKey();
        DeleteTree(HKEY_CURRENT_USER, AccessBase);
        SetRegistryRoot(HKEY_CURRENT_USER);
    }
    void TearDown() override
    {
        ReleaseHeldRegKey();
        DeleteTree(HKEY_CURRENT_USER, AccessBase);
    }
    static std::string Key(const char* sub) { return std::string(AccessBase) + "\\" + sub; }
};

TEST_F(Access, ReadingAMissingKeyUsesTheDefaultAndCreatesNothing)
{
    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(ReadRegString(Key("A").c_str(), "", buffer, "def", sizeof buffer));
    EXPECT_STREQ("def", buffer);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AccessBase));
    EXPECT_EQ(77u, GetRegDword(Key("A").c_str(), "Value", 77));
    DeleteRegValue(Key("A").c_str(), "Value");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AccessBase));
}

TEST_F(Access, WritesCreateEveryKeyAlongThePathAndStoreExactBytes)
{
    std::string deep = Key("Setup\\.kez");
    WriteRegString(deep.c_str(), "Type", "");
    WriteRegString(deep.c_str(), "", "Default text");
    WriteRegDword(deep.c_str(), "Associated", 0x01020304);
    WriteRegBinary(deep.c_str(), "Data", "\x00\x01\x02", 3);
    EXPECT_EQ((DWORD)REG_SZ, RegType(HKEY_CURRENT_USER, deep, "Type"));
    EXPECT_EQ(std::string(1, '\0'), RegRaw(HKEY_CURRENT_USER, deep, "Type"));
    EXPECT_EQ("Default text", RegText(HKEY_CURRENT_USER, deep, ""));
    EXPECT_EQ((DWORD)REG_DWORD, RegType(HKEY_CURRENT_USER, deep, "Associated"));
    EXPECT_EQ(std::string("\x04\x03\x02\x01", 4), RegRaw(HKEY_CURRENT_USER, deep, "Associated"));
    EXPECT_EQ((DWORD)REG_BINARY, RegType(HKEY_CURRENT_USER, deep, "Data"));
    EXPECT_EQ(std::string("\x00\x01\x02", 3), RegRaw(HKEY_CURRENT_USER, deep, "Data"));
}

TEST_F(Access, StringReadsAcceptEmptyValuesAndRefuseOversizedOnes)
{
    std::string key = Key("S");
    WriteRegString(key.c_str(), "Empty", "");
    WriteRegString(key.c_str(), "Seven", "1234567");
    WriteRegString(key.c_str(), "Eight", "12345678");
    char buffer[8];
    EXPECT_TRUE(ReadRegString(key.c_str(), "Empty", buffer, "def", sizeof buffer));
    EXPECT_STREQ("", buffer);
    EXPECT_TRUE(ReadRegString(key.c_str(), "Seven", buffer, "def", sizeof buffer));
    EXPECT_STREQ("1234567", buffer);
    EXPECT_FALSE(ReadRegString(key.c_str(), "Eight", buffer, "def", sizeof buffer));
    EXPECT_STREQ("def", buffer);
    EXPECT_FALSE(ReadRegString(key.c_str(), "Missing", buffer, "", sizeof buffer));
    EXPECT_STREQ("", buffer);
}

TEST_F(Access, TextsWrittenWithoutTerminatorEndInsideTheBuffer)
{
    std::string key = Key("Raw");
    SetRaw(HKEY_CURRENT_USER, key, "Short", REG_SZ, "abc");          // no zero byte
    SetRaw(HKEY_CURRENT_USER, key, "Full", REG_SZ, "abcdefgh");      // 8 bytes, no zero
    SetRaw(HKEY_CURRENT_USER, key, "Binary", REG_BINARY, "WXYZ");
    SetRaw(HKEY_CURRENT_USER, key, "Exact", REG_BINARY, std::string("abcdefg\0", 8));
    const struct {
        const char* name;
        bool read;
        const char* text;
    } reads[] = {{"Short", true, "abc"}, {"Full", false, "def"}, {"Binary", true, "WXYZ"},
                 {"Exact", true, "abcdefg"}};
    for (const auto& r : reads) {
        char buffer[8 + 4];
        memset(buffer, 'Q', sizeof buffer);
        EXPECT_EQ(r.read, ReadRegString(key.c_str(), r.name, buffer, "def", 8)) << r.name;
        EXPECT_STREQ(r.text, buffer) << r.name;
        EXPECT_EQ('Q', buffer[8]) << r.name;
    }
}

TEST_F(Access, DwordReadsTakeDefaultsOnlyWhenTheValueIsUnusable)
{
    std::string key = Key("D");
    WriteRegDword(key.c_str(), "Zero", 0);
    SetRaw(HKEY_CURRENT_USER, key, "Short", REG_BINARY, "\x05\x01");
    SetRaw(HKEY_CURRENT_USER, key, "Long", REG_BINARY, "12345678");
    EXPECT_EQ(0u, GetRegDword(key.c_str(), "Zero", 1));
    EXPECT_EQ(0x0105u, GetRegDword(key.c_str(), "Short", 1));
    EXPECT_EQ(9u, GetRegDword(key.c_str(), "Long", 9));
    DWORD value = 5;
    EXPECT_FALSE(ReadRegDword(key.c_str(), "Missing", &value, 3));
    EXPECT_EQ(3u, value);
    EXPECT_TRUE(ReadRegDword(key.c_str(), "Zero", &value, 3));
    EXPECT_EQ(0u, value);
}

TEST_F(Access, BinaryReadsReportTheStoredLength)
{
    std::string key = Key("B");
    WriteRegBinary(key.c_str(), "Empty", "", 0);
    WriteRegBinary(key.c_str(), "Three", "abc", 3);
    char buffer[6];
    memset(buffer, 'Q', sizeof buffer);
    EXPECT_EQ(0u, ReadRegBinary(key.c_str(), "Empty", buffer, NULL, sizeof buffer));
    EXPECT_EQ(std::string(6, 'Q'), std::string(buffer, 6));
    EXPECT_EQ(3u, ReadRegBinary(key.c_str(), "Three", buffer, NULL, sizeof buffer));
    EXPECT_EQ("abc", std::string(buffer, 3));
    EXPECT_EQ(0u, ReadRegBinary(key.c_str(), "Missing", buffer, NULL, sizeof buffer));
    EXPECT_EQ(std::string(6, '\0'), std::string(buffer, 6));
    EXPECT_EQ(0u, ReadRegBinary(key.c_str(), "Missing", buffer, "123456", sizeof buffer));
    EXPECT_EQ("123456", std::string(buffer, 6));
    EXPECT_EQ(0u, ReadRegBinary(key.c_str(), "Three", buffer, "zzzz", 2));   // too small
    EXPECT_EQ("zz", std::string(buffer, 2));
}

TEST_F(Access, DeletionsRemoveOneKeyOrOneValue)
{
    std::string parent = Key("P");
    std::string child = Key("P\\C");
    WriteRegString(child.c_str(), "V", "x");
    WriteRegString(parent.c_str(), "V", "y");
    EXPECT_FALSE(DeleteRegKey(parent.c_str()));       // NT refuses a key with subkeys
    EXPECT_TRUE(DeleteRegKey(child.c_str()));
    EXPECT_TRUE(DeleteRegKey(child.c_str()));         // gone already: done as well
    EXPECT_TRUE(DeleteRegValue(parent.c_str(), "V"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, parent, "V"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, parent));
    EXPECT_TRUE(DeleteRegValue(parent.c_str(), "Missing"));
    EXPECT_TRUE(DeleteRegValue(Key("Missing").c_str(), "V"));

    // Where the key may not be changed, nothing is done; it still exists.
    WriteRegString(parent.c_str(), "V", "y");
    ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, parent, KEY_SET_VALUE | KEY_QUERY_VALUE));
    bool deleted = DeleteRegValue(parent.c_str(), "V");
    bool exists = RegKeyExists(parent.c_str());
    ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, parent, 0));
    EXPECT_FALSE(deleted);
    EXPECT_TRUE(exists);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, parent, "V"));
    EXPECT_TRUE(DeleteRegKey(parent.c_str()));
}

TEST_F(Access, AHeldKeyServesTwoPathsAndARootChangeUntilReleased)
{
    std::string a = Key("A");
    std::string b = Key("B");
    HoldNextRegKey();
    WriteRegString(a.c_str(), "First", "1");
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    WriteRegString(b.c_str(), "Second", "2");
    ReleaseHeldRegKey();
    SetRegistryRoot(HKEY_CURRENT_USER);
    EXPECT_EQ("1", RegText(HKEY_CURRENT_USER, a, "First"));
    EXPECT_EQ("2", RegText(HKEY_CURRENT_USER, a, "Second"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, b));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, b));

    WriteRegString(b.c_str(), "Third", "3");
    EXPECT_EQ("3", RegText(HKEY_CURRENT_USER, b, "Third"));
}

TEST_F(Access, AHoldRequestIsDroppedByAFailedOpening)
{
    std::string a = Key("A");
    std::string b = Key("B");
    char buffer[8];
    HoldNextRegKey();
    EXPECT_FALSE(ReadRegString(Key("Missing").c_str(), "", buffer, "", sizeof buffer));
    WriteRegString(a.c_str(), "V", "a");
    WriteRegString(b.c_str(), "V", "b");
    EXPECT_EQ("a", RegText(HKEY_CURRENT_USER, a, "V"));
    EXPECT_EQ("b", RegText(HKEY_CURRENT_USER, b, "V"));

    // A write whose key cannot be created consumes the request as well.
    HoldNextRegKey();
    SetRegistryRoot((HKEY)(ULONG_PTR)0x1234);
    WriteRegString(a.c_str(), "W", "lost");
    SetRegistryRoot(HKEY_CURRENT_USER);
    WriteRegString(a.c_str(), "W", "a");
    WriteRegString(b.c_str(), "W", "b");
    EXPECT_EQ("a", RegText(HKEY_CURRENT_USER, a, "W"));
    EXPECT_EQ("b", RegText(HKEY_CURRENT_USER, b, "W"));
}

// The system's name of the key behind a handle, upper case.
std::wstring KeyName(HKEY key)
{
    typedef LONG(WINAPI * QueryKey)(HANDLE, int, void*, ULONG, ULONG*);
    QueryKey query = (QueryKey)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey");
    ULONG buffer[300] = {};
    ULONG size;
    if (!query || query(key, 3, buffer, sizeof buffer - 2, &size) != 0)    // KeyNameInformation
        return L"";
    std::wstring name((const wchar_t*)(buffer + 1), buffer[0] / 2);
    CharUpperBuffW(&name[0], (DWORD)name.size());
    return name;
}

// Each scope's classes are its own key, never the merged root: its writes
// would land in the user's classes where those have the key.
TEST_F(Access, EachScopeWritesItsOwnClasses)
{
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    EXPECT_EQ(L"\\REGISTRY\\MACHINE\\SOFTWARE\\CLASSES", KeyName(GetRegistryRoot()));
    ASSERT_TRUE(EnterUserScope());
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    std::wstring user = KeyName(GetRegistryRoot());
    LeaveUserScope();
    EXPECT_EQ(0u, user.find(L"\\REGISTRY\\USER\\S-")) << user.c_str();
    EXPECT_EQ(user.size() - 17, user.find(L"\\SOFTWARE\\CLASSES"));
}

TEST_F(Access, AHeldKeyIsTakenByTheFirstSuccessfulRead)
{
    std::string a = Key("A");
    std::string b = Key("B");
    WriteRegString(a.c_str(), "V", "from a");
    WriteRegString(b.c_str(), "V", "from b");
    HoldNextRegKey();
    char buffer[16];
    EXPECT_TRUE(ReadRegString(a.c_str(), "V", buffer, "", sizeof buffer));
    EXPECT_TRUE(ReadRegString(b.c_str(), "V", buffer, "", sizeof buffer));
    EXPECT_STREQ("from a", buffer);
    ReleaseHeldRegKey();
    EXPECT_TRUE(ReadRegString(b.c_str(), "V", buffer, "", sizeof buffer));
    EXPECT_STREQ("from b", buffer);
}

}  // namespace
