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
        {" \t ", ModeUninstall, false},
        {"uninstall please", ModeUninstall, false},
        {"\\s", ModeUninstall, false},
        {"Files\\Lumbex\\Uninstall.exe", ModeUninstall, false},   // an unquoted old entry
        {"/setup", ModeSetup, false},
        {"/setup /s", ModeSetup, true},
        {"/SETUP/S", ModeSetup, true},
        {"/Setup /S", ModeSetup, true},
        {"/setup /s ", ModeSetup, true},
        {" \t/SETUP\t/S\t ", ModeSetup, true},
        {"/setup /s\r\n", ModeSetup, true},
        {"/setup /s /norestart", ModeSetup, true},
        {"/setup/NORESTART/s", ModeSetup, true},
        {"/setup  /norestart", ModeSetup, false},
        {"/setup /s /s", ModeSetup, true},
        {"/setupx", ModeInvalid, false},
        {"/s", ModeInvalid, true},
        {"/S", ModeInvalid, true},
        {"/norestart", ModeInvalid, false},
        {"/s /setup", ModeInvalid, true},
        {"/norestart /setup", ModeInvalid, false},
        {"/wait", ModeWait, false},
        {" /wait ", ModeWait, false},
        {"/waiting", ModeInvalid, false},
        {"/wait /s", ModeInvalid, true},
        {"/warning", ModeWarning, false},
        {"/WARNING now", ModeInvalid, false},
        {"/warning /norestart", ModeInvalid, false},
        {"/warning /s", ModeWarning, true},
        {"/warning /s /norestart", ModeInvalid, true},
        {"/warn", ModeInvalid, false},
        {"/bogus", ModeInvalid, false},
        {"/", ModeInvalid, false},
        {"/ /s", ModeInvalid, true},
        {"/setup /", ModeInvalid, false},
        {"/se", ModeInvalid, false},
        {"/setup /wait", ModeInvalid, false},
        {"/wait /setup", ModeInvalid, false},
        {"/wait /setup /s", ModeInvalid, true},
        {"/x /y /s", ModeInvalid, true},
        {"/setup /x", ModeInvalid, false},
        {"/setup /s /restart", ModeInvalid, true},
        {"/setup /s x", ModeInvalid, true},
        {"/setup -s", ModeInvalid, false},
        {"/setup /sx", ModeInvalid, false},
        {"/setup /s/", ModeInvalid, true},
        {"x/setup", ModeInvalid, false},
        {"\"/setup\"", ModeSetup, false},
        {"\"/uninstall\" \"/s\"", ModeUninstallSwitch, true},
        {"\"/setup /S\"", ModeSetup, true},
        {"/setup \"/s", ModeSetup, true},
        {"/se\"tup\"", ModeInvalid, false},
        {"\"/bogus\" \"/s\"", ModeInvalid, true},
        {"/setup /silent", ModeSetup, true},
        {"/SETUP /VerySilent /norestart", ModeSetup, true},
        {"/uninstall /QUIET", ModeUninstallSwitch, true},
        {"/uninstall /q", ModeUninstallSwitch, true},
        {"/uninstall\t\"/Qn\"", ModeUninstallSwitch, true},
        {"/warning /quiet", ModeWarning, true},
        {"/silent", ModeInvalid, true},
        {"/wait /verysilent", ModeInvalid, true},
        {"/setup /qb", ModeInvalid, false},
        {"/setup /silently", ModeInvalid, false},
        {"/ss", ModeInvalid, false},
        {"/uninstall", ModeUninstallSwitch, false},
        {"/UNINSTALL /S", ModeUninstallSwitch, true},
        {"/uninstall/s", ModeUninstallSwitch, true},
        {"/uninstall /s ", ModeUninstallSwitch, true},
        {"/uninstall /norestart /s", ModeUninstallSwitch, true},
        {"/Uninstall /NoRestart", ModeUninstallSwitch, false},
        {"/uninstal", ModeInvalid, false},
        {"/setup /uninstall", ModeInvalid, false},
        {"/uninstall /setup /s", ModeInvalid, true},
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
    CommandChoice choice = ParseCommandTail((tail + "/setup /s").c_str());
    EXPECT_EQ(ModeInvalid, choice.mode);
    EXPECT_TRUE(choice.silent);

    tail = std::string(5000, ' ') + "/setup";
    for (int i = 0; i < 1000; i++)
        tail += " /norestart";
    choice = ParseCommandTail((tail + std::string(5000, '\t') + "/s").c_str());
    EXPECT_EQ(ModeSetup, choice.mode);
    EXPECT_TRUE(choice.silent);
    choice = ParseCommandTail((tail + " /" + std::string(5000, 's')).c_str());
    EXPECT_EQ(ModeInvalid, choice.mode);
    EXPECT_FALSE(choice.silent);
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
