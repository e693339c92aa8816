// The shipped German language module beside the real executable: every text,
// both dialogs and the icon come from it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "driver/dialog_template.h"
#include "driver/sandbox.h"
#include "resources/footprint.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"

namespace {

const std::string Caption = "Lumbex-Einrichtung";

// What the screen shows in the top left corner of a window, where the
// caption draws the window's icon.
std::vector<COLORREF> CaptionIconPixels(HWND window)
{
    std::vector<COLORREF> pixels;
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return pixels;
    HDC screen = GetDC(NULL);
    for (int y = 0; y < 26; y++)
        for (int x = 0; x < 26; x++)
            pixels.push_back(GetPixel(screen, rect.left + x, rect.top + y));
    ReleaseDC(NULL, screen);
    return pixels;
}

int CountNear(const std::vector<COLORREF>& pixels, int r, int g, int b)
{
    int count = 0;
    for (COLORREF c : pixels)
        if (abs(GetRValue(c) - r) < 40 && abs(GetGValue(c) - g) < 40 && abs(GetBValue(c) - b) < 40)
            count++;
    return count;
}

// Id to caption of every addressed control, and the unaddressed texts in order.
std::map<int, std::string> AddressedTexts(const Dialog& dialog)
{
    std::map<int, std::string> texts;
    for (const Item& item : dialog.items)
        if (item.id != 0xFFFF)
            texts[item.id] = item.text;
    return texts;
}

class German : public testing::Test {
protected:
    std::string folder;
    HMODULE templates = NULL;
    HANDLE held = INVALID_HANDLE_VALUE;

    void SetUp() override
    {
        ForgetSetup();
        folder = MakeSandbox("german e2e");
        std::string module = FixturePath("german\\kezlng.dll");
        ASSERT_TRUE(CopyFileA(ToolPath().c_str(), (folder + "\\Uninstall.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(module.c_str(), (folder + "\\kezlng.dll").c_str(), FALSE));
        ASSERT_TRUE(PlaceProduct(folder));
        templates = LoadLibraryExA(module.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(templates != NULL);
    }
    void TearDown() override
    {
        FreeLibrary(templates);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        RemoveScriptsLeft();
        DeleteValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                    "PendingFileRenameOperations");
        CloseFolderWindows("Lumbex");
        ForgetSetup();
        RemoveTree(folder);
    }
    std::string Text(int id)
    {
        char text[256] = "";
        LoadStringA(templates, id, text, sizeof text);
        return text;
    }
    // Every control of the live dialog shows the module's caption for it.
    void ExpectModuleTexts(HWND dialog, const char* name, std::initializer_list<int> runtime)
    {
        Dialog expected = ParseDialog(templates, name);
        ASSERT_TRUE(expected.found) << name;
        EXPECT_EQ(expected.title, WindowText(dialog)) << name;
        std::vector<std::string> statics;
        for (const Item& item : expected.items) {
            bool filledAtRunTime = false;
            for (int id : runtime)
                filledAtRunTime = filledAtRunTime || id == item.id;
            if (filledAtRunTime)
                continue;
            if (item.id != 0xFFFF)
                EXPECT_EQ(item.text, ControlText(dialog, item.id)) << name << " " << item.id;
            else if (item.cls == "STATIC" && !item.text.empty())
                statics.push_back(item.text);
        }
        std::vector<std::string> shown = StaticTexts(dialog);
        for (const std::string& text : statics)
            EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), text)) << text;
    }
    // The module's icon has a strap in red and gold where the own one's is blue.
    void ExpectModuleIcon(HWND dialog)
    {
        std::vector<COLORREF> shown;
        Eventually([&] {
            shown = CaptionIconPixels(dialog);
            return CountNear(shown, 210, 20, 20) > 0;
        });
        EXPECT_GT(CountNear(shown, 210, 20, 20), 0) << "red";
        EXPECT_GT(CountNear(shown, 250, 200, 0), 0) << "gold";
        EXPECT_EQ(0, CountNear(shown, 40, 80, 170)) << "blue";
    }
};

TEST_F(German, BothDialogsTheIconAndTheWrittenTextsComeFromTheModule)
{
    DWORD start = GetTickCount();
    HANDLE process = StartProgram("\"" + folder + "\\Uninstall.exe\" /setup", folder);
    ASSERT_TRUE(process != NULL);
    HWND options = WaitForDialog(Caption, IDOK, "OK", 15000);
    ASSERT_TRUE(options != NULL);
    ExpectModuleTexts(options, "SETUPDLG", {});
    ExpectModuleIcon(options);
    Sleep(300);
    SaveScreenshot(options, ScreenshotPath("german_options.bmp"));

    ClickButton(options, IDOK);
    HWND done = WaitForDialog(Caption, IDOK, "Fertig", 15000);
    ASSERT_TRUE(done != NULL);
    EXPECT_EQ(folder, ControlText(done, 5101));
    ExpectModuleTexts(done, "DONEDLG", {5101, 5108});
    EXPECT_EQ("Lumbex ist f\xFCr alle Benutzer dieses Computers eingerichtet.",
              ControlText(done, 5108));
    ExpectModuleIcon(done);
    Sleep(300);
    SaveScreenshot(done, ScreenshotPath("german_done.bmp"));
    ClickButton(done, IDOK);
    RunResult run = WaitProgram(process, start, 15000);
    CloseHandle(process);
    EXPECT_TRUE(run.finished);

    EXPECT_EQ(Text(5101), RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName"));
    EXPECT_EQ("Lumbex Archivierer", Text(5101));
    EXPECT_EQ(Text(5109), RegText(HKEY_CLASSES_ROOT, "Lumbex", ""));
    EXPECT_EQ(Text(5110), RegText(HKEY_CLASSES_ROOT, "Lumbex.ZIP", ""));
    std::string group = ShellFolderPath(0x0002 /* CSIDL_PROGRAMS */) + "\\Lumbex\\";
    EXPECT_TRUE(Exists(group + Text(5102) + ".lnk")) << group + Text(5102);
    EXPECT_TRUE(Exists(group + Text(5103) + ".lnk")) << group + Text(5103);
}

TEST_F(German, TheUninstallersQuestionAndWarningSpeakTheModulesLanguage)
{
    std::string tool = "\"" + folder + "\\Uninstall.exe\"";
    AnsweredRun question = RunAnswering(tool, folder, Text(5104), IDNO);
    EXPECT_TRUE(question.box.found);
    EXPECT_EQ("Deinstallation von Lumbex fortsetzen?", question.box.text);
    EXPECT_TRUE(question.run.finished);
    EXPECT_TRUE(Exists(folder + "\\Uninstall.exe"));

    // Its product still installed, the tool is never scheduled for removal.
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "Lumbex.exe\r\n"));
    AnsweredRun warning = RunAnswering(tool + " /warning", folder, "Lumbex deinstallieren", IDOK);
    EXPECT_EQ("Deinstallation abgeschlossen\nBitte l\xF6schen Sie " + folder +
                  "\\Uninstall.exe von Hand",
              warning.box.text);
}

// The module is in use while the uninstaller runs; it is listed like every
// other product file and must go with the install folder.
TEST_F(German, UninstallRemovesTheModuleAndTheFolder)
{
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                           "kezlng.dll\r\nLumbex.exe\r\nkezext.dll\r\nlicense.txt\r\n"
                           "register.frm\r\nLumbex.log\r\n"));
    AnsweredRun uninstall =
        RunAnswering("\"" + folder + "\\Uninstall.exe\"", folder, Text(5104), IDYES);
    EXPECT_TRUE(uninstall.box.found);
    EXPECT_TRUE(uninstall.run.finished);
    EXPECT_TRUE(Eventually([&] { return !Exists(folder) && !ScriptLeft(); }, 15000))
        << "left: " << (Exists(folder + "\\kezlng.dll") ? "kezlng.dll " : "")
        << (Exists(folder + "\\Uninstall.exe") ? "Uninstall.exe" : "");
    EXPECT_EQ(NULL, WaitForWindow("Lumbex deinstallieren", 0));
    EXPECT_EQ(NULL, WaitForWindow("Uninstall Lumbex", 0));
}

// The module is deleted with the other files before a file in use is
// found: the dialog and the last message still speak its language.
TEST_F(German, FilesInUseAreNamedInTheModulesLanguage)
{
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "kezlng.dll\r\nLumbex.exe\r\nkezext.dll\r\n"));
    held = CreateFileA((folder + "\\kezext.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                       OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    DWORD start = GetTickCount();
    HANDLE process = StartProgram("\"" + folder + "\\Uninstall.exe\"", folder);
    BoxAnswer question = AnswerMessageBox(Text(5104), IDYES, 15000);
    HWND dialog = WaitForDialog(Text(5104), IDRETRY, "&Wiederholen", 15000);
    ASSERT_TRUE(dialog != NULL);
    ExpectModuleTexts(dialog, "INUSEDLG", {5101});
    EXPECT_EQ("kezext.dll\n", ControlText(dialog, 5101));
    EXPECT_FALSE(Exists(folder + "\\kezlng.dll"));
    ClickButton(dialog, IDIGNORE);
    // The last message shares the dialog's caption.
    EXPECT_TRUE(Eventually([&] { return !IsShown(dialog); }, 10000));
    BoxAnswer end = AnswerMessageBox(Text(5104), IDOK, 15000);
    RunResult run = WaitProgram(process, start, 15000);
    CloseHandle(process);
    EXPECT_TRUE(question.found);
    EXPECT_TRUE(run.finished);
    // Held without delete sharing, it cannot be moved aside for the restart.
    EXPECT_EQ("Deinstallation abgeschlossen\nBitte l\xF6schen Sie " + folder + "\\ von Hand",
              end.text);
}

}  // namespace
