#include <gtest/gtest.h>

#include "app/switches.h"

namespace {

struct Case {
    const char* tail;
    RunMode mode;
    bool silent;
};

TEST(CommandTail, EachTailSelectsOneModeAndTheSilentFlag)
{
    const Case cases[] = {
        {"", ModeUninstall, false},
        {"uninstall please", ModeUninstall, false},
        {"\\s", ModeUninstall, false},
        {"/setup", ModeSetup, false},
        {"/setup /s", ModeSetup, true},
        {"/SETUP/S", ModeSetup, true},
        {"/Setup /S", ModeSetup, true},
        {"/setup /s ", ModeNothing, false},   // "/s " is not "/s"
        {"/setupx", ModeSetup, false},
        {"/s", ModeNothing, true},
        {"/S", ModeNothing, true},
        {"/wait", ModeWait, false},
        {"/waiting", ModeWait, false},
        {"/warning", ModeWarning, false},
        {"/WARNING now", ModeWarning, false},
        {"/warn", ModeNothing, false},
        {"/bogus", ModeNothing, false},
        {"/", ModeNothing, false},
        {"/se", ModeNothing, false},
        {"/setup /wait", ModeWait, false},     // the last switch counts
        {"/wait /setup", ModeSetup, false},
        {"/wait /setup /s", ModeWait, true},   // silent: the first switch counts
        {"/x /y /s", ModeNothing, true},
        {"/setup /x", ModeNothing, false},
        {"/setup /sx", ModeNothing, false},
        {"x/setup", ModeSetup, false},
        {"\"/setup\"", ModeSetup, false},     // prefix match
        {"/ss", ModeNothing, false},
        {"/uninstall", ModeUninstallSwitch, false},
        {"/UNINSTALL /S", ModeUninstallSwitch, true},
        {"/uninstall/s", ModeUninstallSwitch, true},
        {"/uninstall /s ", ModeNothing, false},
        {"/uninstal", ModeNothing, false},
        {"/setup /uninstall", ModeUninstallSwitch, false},
        {"/uninstall /setup /s", ModeUninstallSwitch, true},
    };
    for (const Case& c : cases) {
        CommandChoice choice = ParseCommandTail(c.tail);
        EXPECT_EQ(c.mode, choice.mode) << "tail [" << c.tail << "]";
        EXPECT_EQ(c.silent, choice.silent) << "tail [" << c.tail << "]";
    }
}

TEST(CommandTail, LongTailsAreParsedWithoutLimits)
{
    std::string tail(5000, 'a');
    EXPECT_EQ(ModeUninstall, ParseCommandTail(tail.c_str()).mode);
    tail += "/setup /s";
    CommandChoice choice = ParseCommandTail(tail.c_str());
    EXPECT_EQ(ModeSetup, choice.mode);
    EXPECT_TRUE(choice.silent);
}

// The tail as the program's start-up has always handed it over.
TEST(CommandTail, TheProgramsNameAndTheBlanksAfterItGo)
{
    const char* const lines[][2] = {
        {"Uninstall.exe", ""},
        {"Uninstall.exe /setup /s", "/setup /s"},
        {"\"C:\\Program Files\\Lumbex\\Uninstall.exe\" /uninstall /s", "/uninstall /s"},
        {"\"C:\\My Tools\\Uninstall.exe\"/setup", ""},
        {"Uninstall.exe\t \t/wait ", "/wait "},
        {"Uninstall.exe \"/setup\" /s", "\"/setup\" /s"},
        {"x\"y z\" /w", "/w"},
        {"\"unclosed /s", ""},
        {"", ""},
        {"Uninstall.exe \x01\x1F/s", "/s"},
    };
    for (const auto& line : lines)
        EXPECT_STREQ(line[1], CommandTail(line[0])) << line[0];
}

}  // namespace
