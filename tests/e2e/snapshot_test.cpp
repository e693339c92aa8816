// The snapshots that the round trip compares, checked against the registry
// functions and the file system themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/sandbox.h"
#include "driver/snapshot.h"

namespace {

const wchar_t* const TestKey = L"Software\\Lumbex snapshot test";

std::string Bytes(const void* data, size_t size)
{
    return std::string((const char*)data, size);
}

std::string Wide(const wchar_t* text, size_t chars)
{
    return Bytes(text, chars * sizeof(wchar_t));
}

void Set(HKEY key, const wchar_t* name, DWORD type, const std::string& bytes)
{
    RegSetValueExW(key, name, 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
}

HKEY CreateKey(const std::wstring& path)
{
    HKEY key = NULL;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                    NULL);
    return key;
}

// Lines with the content hashes left out, which the test cannot know.
std::vector<std::string> WithoutHashes(std::vector<std::string> lines)
{
    for (std::string& line : lines)
        for (size_t at; (at = line.find("hash ")) != std::string::npos;)
            line.replace(at, 5 + 16, "#");
    return lines;
}

class Snapshots : public testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey);
        RemoveTree("C:\\lumbex-tests\\snapshot");
    }
};

TEST_F(Snapshots, TheSavedRegistryReadsAsTheRegistryFunctionsReadIt)
{
    HKEY key = CreateKey(TestKey);
    ASSERT_TRUE(key != NULL);
    Set(key, L"", REG_SZ, Wide(L"", 1));
    Set(key, L"plain", REG_SZ, Wide(L"text", 5));
    Set(key, L"quote\"back\\slash=[x]", REG_SZ, Wide(L"a \"b\" \\c\td\ne\x1b", 14));
    Set(key, L"unicode \x00e9\x20ac", REG_SZ, Wide(L"\x00e9" L"a\x20ac" L"7\x7f", 6));
    Set(key, L"controls", REG_SZ, Wide(L"\x01" L"7\x01x\x02\x07", 7));
    Set(key, L"embedded zero", REG_SZ, Wide(L"a\0b", 4));
    Set(key, L"unterminated", REG_SZ, Wide(L"ab", 2));
    Set(key, L"odd length", REG_SZ, Bytes("abc", 3));
    Set(key, L"expand", REG_EXPAND_SZ, Wide(L"%TEMP%\\x", 9));
    Set(key, L"multi", REG_MULTI_SZ, Wide(L"one\0two\0", 9));
    DWORD number = 0x89abcdef;
    Set(key, L"dword", REG_DWORD, Bytes(&number, 4));
    Set(key, L"short dword", REG_DWORD, Bytes(&number, 2));
    unsigned long long big = 0x0123456789abcdefull;
    Set(key, L"qword", REG_QWORD, Bytes(&big, 8));
    std::string ramp;
    for (int i = 0; i < 100; i++)
        ramp.push_back((char)(i * 7));
    Set(key, L"long binary", REG_BINARY, ramp);
    Set(key, L"empty binary", REG_BINARY, "");
    Set(key, L"none", REG_NONE, "");
    Set(key, L"own type", 0xffff0007u, Bytes(&number, 4));
    for (const wchar_t* sub : {L"\\sub [bracket]", L"\\sub ]close\\deeper", L"\\\x00fcml\x00e4ut"}) {
        HKEY child = CreateKey(std::wstring(TestKey) + sub);
        ASSERT_TRUE(child != NULL);
        Set(child, L"v", REG_SZ, Wide(L"w", 2));
        RegCloseKey(child);
    }
    CreateKey(std::wstring(TestKey) + L"\\empty");

    Snapshot saved = SavedRegistry(key, "T");
    Snapshot listed = ListedRegistry(key, "T");
    RegCloseKey(key);
    EXPECT_EQ(std::vector<std::string>(), SnapshotDifference(listed, saved));
    EXPECT_EQ(26u, saved.size());
    EXPECT_EQ(Wide(L"a \"b\" \\c\td\ne\x1b", 14),
              saved["T\x01quote\"back\\slash=[x]"].data);
    EXPECT_EQ(REG_BINARY, saved["T\x01long binary"].type);
    EXPECT_EQ(ramp, saved["T\x01long binary"].data);
    EXPECT_EQ(1u, saved.count("T\\sub ]close\\deeper"));
}

TEST_F(Snapshots, TheSavedRegistryShowsLinksAsLinks)
{
    // The 32-bit classes are reached through a link below Wow6432Node.
    HKEY node;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", 0,
                                           KEY_READ | KEY_WOW64_64KEY, &node));
    Snapshot saved = SavedRegistry(node, "N");
    RegCloseKey(node);
    EXPECT_EQ("link to \\Registry\\Machine\\Software\\Classes\\Wow6432Node",
              saved["N\\Classes"].data);
    EXPECT_EQ(0u, saved.count("N\\Classes\\CLSID"));
}

TEST_F(Snapshots, TheDifferenceNamesEveryChangeAndNothingElse)
{
    std::string folder = MakeSandbox("snapshot");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\sub").c_str(), NULL));
    ASSERT_TRUE(WriteBytes(folder + "\\same size.txt", "before"));
    ASSERT_TRUE(WriteBytes(folder + "\\removed.txt", "gone soon"));
    ASSERT_TRUE(WriteBytes(folder + "\\sub\\read-only.txt", "kept"));
    HKEY key = CreateKey(TestKey);
    ASSERT_TRUE(key != NULL);
    Set(key, L"type", REG_SZ, Wide(L"x", 2));
    Set(key, L"removed", REG_DWORD, Bytes("\1\0\0\0", 4));
    Snapshot before = TakeSnapshot();

    ASSERT_TRUE(WriteBytes(folder + "\\same size.txt", "after!"));
    ASSERT_TRUE(DeleteFileA((folder + "\\removed.txt").c_str()));
    ASSERT_TRUE(WriteBytes(folder + "\\added.txt", ""));
    SetFileAttributesA((folder + "\\sub\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Set(key, L"type", REG_EXPAND_SZ, Wide(L"x", 2));
    RegDeleteValueW(key, L"removed");
    RegCloseKey(CreateKey(std::wstring(TestKey) + L"\\added"));
    RegCloseKey(key);
    Snapshot after = TakeSnapshot();
    SetFileAttributesA((folder + "\\sub\\read-only.txt").c_str(), 0);

    const std::string user = "HKU\\S-1-5-21-0-0-0-1000\\Software\\Lumbex snapshot test";
    EXPECT_EQ(std::vector<std::string>({
                  "+ file C:\\lumbex-tests\\snapshot\\added.txt (0 bytes, #)",
                  "- file C:\\lumbex-tests\\snapshot\\removed.txt (9 bytes, #)",
                  "~ file C:\\lumbex-tests\\snapshot\\same size.txt: 6 bytes, # -> 6 bytes, #",
                  "~ file C:\\lumbex-tests\\snapshot\\sub\\read-only.txt: 4 bytes, # -> "
                  "4 bytes, #, attributes R",
                  "- value " + user + " \"removed\" = REG_DWORD 1",
                  "~ value " + user + " \"type\": REG_SZ \"x\" -> REG_EXPAND_SZ \"x\"",
                  "+ key " + user + "\\added",
              }),
              WithoutHashes(SnapshotDifference(before, after)));
}

}  // namespace
