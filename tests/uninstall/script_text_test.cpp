#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>

#include "uninstall/script_text.h"

namespace {

const char* const E = "C:\\Tools\\100% Lumbex\\Uninstall.exe";
const char* const F = "C:\\Tools\\100% Lumbex\\";
const char* const S = "C:\\My Temp\\Uninstall.Kez.Bat";

// The whole script as it is written: first line, five attempts, tail, and
// on the Windows 95 family the script's deletion of itself.
std::string Script(unsigned long platformId, const char* e = E, const char* f = F,
                   const char* s = S)
{
    char text[ScriptTextCapacity];
    std::string script;
    ScriptPiece first = platformId == 1 ? ScriptFirstLineStarted : ScriptFirstLine;
    if (!FormatScriptPiece(text, sizeof text, first, e, f, s))
        return "<refused>";
    script += text;
    for (int i = 0; i < ScriptAttempts; i++) {
        if (!FormatScriptPiece(text, sizeof text, ScriptAttempt, e, f, s))
            return "<refused>";
        script += text;
    }
    if (!FormatScriptPiece(text, sizeof text, ScriptTail, e, f, s))
        return "<refused>";
    script += text;
    if (platformId == 1 && !FormatScriptPiece(text, sizeof text, ScriptSelfDeletion, e, f, s))
        return "<refused>";
    return platformId == 1 ? script + text : script;
}

const std::string Attempt =
    "del \"C:\\Tools\\100%% Lumbex\\Uninstall.exe\"\r\n"
    "rd \"C:\\Tools\\100%% Lumbex\\\"\r\n"
    "if not exist \"C:\\Tools\\100%% Lumbex\\Uninstall.exe\" goto done\r\n";
const std::string Tail =
    ":done\r\n"
    "if exist \"C:\\Tools\\100%% Lumbex\\Uninstall.exe\" "
    "\"C:\\Tools\\100%% Lumbex\\Uninstall.exe\" /warning";
const std::string SelfDeletion = "\r\ndel \"C:\\My Temp\\Uninstall.Kez.Bat\"";

size_t Length(unsigned long base, const char* e, const char* f, const char* s)
{
    // Every "%" is written twice.
    auto bytes = [](const char* path) { return strlen(path) + std::count(path, path + strlen(path), '%'); };
    return base + 13 * bytes(e) + 5 * bytes(f) + bytes(s);
}

// The script's folder goes once the script has ended, through the command
// line that ran it: the script names neither.
TEST(RemovalScript, NtFamilyRunsTheToolDirectly)
{
    std::string attempts;
    for (int i = 0; i < 5; i++)
        attempts += Attempt;
    std::string expected = "\"C:\\Tools\\100%% Lumbex\\Uninstall.exe\" /wait\r\n" + attempts + Tail;
    EXPECT_EQ(expected, Script(2));
    EXPECT_EQ(expected, Script(0));
    EXPECT_EQ(Length(250, E, F, ""), Script(2).size());
    EXPECT_EQ(17, std::count(expected.begin(), expected.end(), '\n'));
}

// A silent uninstall: nobody to tell that the executable stayed, but it is
// still scheduled for removal at restart.
TEST(RemovalScript, TheSilentTailSchedulesWithoutAWarning)
{
    char text[ScriptTextCapacity];
    ASSERT_TRUE(FormatScriptPiece(text, sizeof text, ScriptSilentTail, E, F, S));
    EXPECT_EQ(Tail + " /s", std::string(text));
}

TEST(RemovalScript, WindowsNinetyFiveFamilyWaitsThroughStart)
{
    std::string script = Script(1);
    EXPECT_EQ("start /wait \"C:\\Tools\\100%% Lumbex\\Uninstall.exe\" /wait\r\n" + Attempt,
              script.substr(0, script.find(Attempt) + Attempt.size()));
    EXPECT_EQ(Length(270, E, F, S), script.size());
    EXPECT_EQ(Script(2).substr(Script(2).find("\r\n")) + SelfDeletion,
              script.substr(script.find("\r\n")));
}

TEST(RemovalScript, PathsWithoutPercentAreWrittenUnchanged)
{
    const char* e = "C:\\Program Files\\Lumbex\\Uninstall.exe";
    const char* f = "C:\\Program Files\\Lumbex";
    const char* s = "C:\\TEMP\\Uninstall.Kez.Bat";
    std::string script = Script(1, e, f, s);
    EXPECT_EQ(Length(270, e, f, s), script.size());
    EXPECT_EQ(std::string::npos, script.find('%'));
    EXPECT_EQ("\r\ndel \"C:\\TEMP\\Uninstall.Kez.Bat\"", script.substr(script.rfind("\r\n")));
    EXPECT_EQ(Length(250, "%", "%%", ""), Script(2, "%", "%%", "a%").size());
    EXPECT_EQ(Length(270, "%", "%%", "a%"), Script(1, "%", "%%", "a%").size());
}

TEST(RemovalScript, APieceThatWouldNotFitIsRefusedNotCut)
{
    // 259 "%" double to 518 bytes: the first line still fits, the attempt
    // block with the path twice does not.
    std::string percents(259, '%');
    char text[ScriptTextCapacity + 8];
    memset(text, 0x5A, sizeof text);
    EXPECT_TRUE(FormatScriptPiece(text, ScriptTextCapacity, ScriptFirstLine,
                                  percents.c_str(), F, S));
    EXPECT_EQ(518u + 10u, strlen(text));
    EXPECT_FALSE(FormatScriptPiece(text, ScriptTextCapacity, ScriptAttempt,
                                   percents.c_str(), F, S));
    EXPECT_FALSE(FormatScriptPiece(text, ScriptTextCapacity, ScriptTail,
                                   percents.c_str(), F, S));
    for (size_t i = ScriptTextCapacity; i < sizeof text; i++)
        EXPECT_EQ(0x5A, text[i]);
    // A path that cannot be escaped within its own buffer is refused as well.
    std::string longer(300, '%');
    EXPECT_FALSE(FormatScriptPiece(text, ScriptTextCapacity, ScriptFirstLine,
                                   longer.c_str(), F, S));
    // Paths of 259 bytes without "%" fit every piece.
    std::string e(259, 'e'), f(259, 'f'), s(259, 's');
    EXPECT_EQ(Length(270, e.c_str(), f.c_str(), s.c_str()),
              Script(1, e.c_str(), f.c_str(), s.c_str()).size());
    std::string percentScript(259, '%');
    EXPECT_FALSE(FormatScriptPiece(text, ScriptTextCapacity, ScriptSelfDeletion, E, F,
                                   longer.c_str()));
    EXPECT_TRUE(FormatScriptPiece(text, ScriptTextCapacity, ScriptSelfDeletion, E, F,
                                  percentScript.c_str()));
}

}  // namespace
