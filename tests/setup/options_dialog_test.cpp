#include <shlobj.h>

#include <functional>
#include <thread>

#include "driver/setup_dialog.h"
#include "driver/ui_driver.h"
#include "registry/registry.h"
#include "resources/footprint.h"
#include "resources/resource.h"
#include "setup/setup.h"
#include "setup_fixture.h"

namespace {

const std::string SetupKey = SettingsKey;

void Store(const std::string& key, const char* value, DWORD data)
{
    SetRaw(HKEY_CURRENT_USER, key, value, REG_DWORD, std::string((const char*)&data, 4));
}

// Top-level windows of this thread shown since the count was reset.
int Shown;

LRESULT CALLBACK CountShows(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lParam;
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGED &&
        (((const WINDOWPOS*)call->lParam)->flags & SWP_SHOWWINDOW) &&
        !(GetWindowLongA(call->hwnd, GWL_STYLE) & WS_CHILD))
        Shown++;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

class OptionsDialog : public DialogFixture {
protected:
    // The real procedure, modeless, for what the dialog shows.
    HWND Open()
    {
        HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), "SETUPDLG", NULL,
                                         SetupDialogProc, 0);
        EXPECT_TRUE(dialog != NULL);
        return dialog;
    }
    static INT_PTR RunOptions(const std::function<void(HWND)>& user)
    {
        return RunModal("SETUPDLG", SetupDialogProc, 0, "OK", user);
    }
};

TEST_F(OptionsDialog, AFirstRunShowsTheDefaultsAndStoresNothing)
{
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    HWND dialog = Open();
    EXPECT_EQ(std::vector<int>({IDC_KEZ, IDC_ZIP, IDC_CAB, IDC_ARJ, IDC_LZH, IDC_PROGRAMS,
                                IDC_SHELLEXT, IDC_MENUICONS}),
              TickedBoxes(dialog));
    EXPECT_TRUE(IsEnabled(dialog, IDC_CASCADED));
    EXPECT_TRUE(IsEnabled(dialog, IDC_MENUICONS));
    EXPECT_EQ((LRESULT)AppIcon, SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(RootKey(ClassesRoot), GetRegistryRoot());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
    DestroyWindow(dialog);
}

TEST_F(OptionsDialog, StoredChoicesAreShownAndShellIntegrationGuardsItsOptions)
{
    for (const char* type : {".kez", ".cab", ".arj", ".lzh"})
        Store(SetupKey + "\\" + type, "Associated", 0);
    Store(SetupKey + "\\.zip", "Associated", 1);
    Store(LinksKey, "Desktop", 1);
    Store(LinksKey, "StartMenu", 0);
    Store(LinksKey, "Programs", 0);
    Store(SetupKey, "ShellExt", 0);
    Store(SetupKey, "CascadedMenu", 1);
    Store(SetupKey, "MenuIcons", 0);
    HWND dialog = Open();
    EXPECT_EQ(std::vector<int>({IDC_ZIP, IDC_DESKTOP, IDC_CASCADED}), TickedBoxes(dialog));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CASCADED));
    EXPECT_FALSE(IsEnabled(dialog, IDC_MENUICONS));

    SendMessageA(GetDlgItem(dialog, IDC_SHELLEXT), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(dialog, IDC_SHELLEXT));
    EXPECT_TRUE(IsEnabled(dialog, IDC_CASCADED));
    EXPECT_TRUE(IsEnabled(dialog, IDC_MENUICONS));
    SendMessageA(GetDlgItem(dialog, IDC_SHELLEXT), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsEnabled(dialog, IDC_CASCADED));
    EXPECT_FALSE(IsEnabled(dialog, IDC_MENUICONS));
    EXPECT_TRUE(IsChecked(dialog, IDC_CASCADED));
    DestroyWindow(dialog);

    // Any value but 0, whoever wrote it, counts as integrated.
    Store(SetupKey, "ShellExt", 2);
    dialog = Open();
    EXPECT_TRUE(IsChecked(dialog, IDC_SHELLEXT));
    EXPECT_TRUE(IsEnabled(dialog, IDC_CASCADED));
    DestroyWindow(dialog);
}

TEST_F(OptionsDialog, EscapeAndTheCloseBoxChangeNothingAndHelpKeepsTheDialogOpen)
{
    std::vector<BoxAnswer> help;
    INT_PTR escaped = RunOptions([&](HWND dialog) {
        // F1 reaches the dialog as WM_HELP, sent; the help engine, without a
        // help file here, asks for it by name and waits for an answer.
        std::thread f1([dialog] {
            HELPINFO info = {};
            info.cbSize = sizeof info;
            SendMessageA(dialog, WM_HELP, 0, (LPARAM)&info);
        });
        help.push_back(AnswerMessageBox("ERROR", IDNO, 10000));
        f1.join();
        std::thread button([dialog] { ClickButtonAndWait(dialog, IDC_HELPBUTTON); });
        help.push_back(AnswerMessageBox("ERROR", IDNO, 10000));
        button.join();
        EXPECT_TRUE(IsShown(dialog));
        ClickButton(dialog, IDC_DESKTOP);
        PressKey(dialog, VK_ESCAPE);
    });
    INT_PTR closed = RunOptions([&](HWND dialog) {
        ClickButton(dialog, IDC_KEZ);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(ExitDeclined, escaped);
    EXPECT_EQ(ExitDeclined, closed);
    ASSERT_EQ(2u, help.size());
    for (const BoxAnswer& box : help) {
        EXPECT_TRUE(box.found);
        EXPECT_NE(std::string::npos, box.text.find("lumbex.hlp")) << box.text;
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex"));
    EXPECT_EQ(NULL, WaitForDialog("Lumbex Setup", IDOK, "Done", 0));
}

TEST_F(OptionsDialog, OkRunsTheActionsThenTheCompletionDialogAndDoneEndsBoth)
{
    bool storedBeforeDone = false;
    bool registeredBeforeDone = false;
    bool setupHidden = false;
    HWND options = NULL;
    INT_PTR result = RunOptions([&](HWND dialog) {
        options = dialog;
        ClickButton(dialog, IDC_PROGRAMS);      // cleared: no group to open afterwards
        ClickButton(dialog, IDC_DESKTOP);
        ClickButton(dialog, IDOK);
        HWND done = WaitForDialog("Lumbex Setup", IDOK, "Done", 10000);
        if (!done) {
            ADD_FAILURE() << "no completion dialog";
            return;
        }
        storedBeforeDone =
            RegRaw(HKEY_CURRENT_USER, LinksKey, "Desktop") == std::string("\1\0\0\0", 4);
        registeredBeforeDone = ValueExists(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString");
        setupHidden = Eventually([&] { return !IsShown(dialog); }) && IsWindow(dialog);
        ClickButton(done, IDOK);
    });
    EXPECT_EQ(ExitDone, result);
    EXPECT_TRUE(storedBeforeDone);
    EXPECT_TRUE(registeredBeforeDone);
    EXPECT_TRUE(setupHidden);
    EXPECT_FALSE(IsWindow(options));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Lumbex.lnk"));
    EXPECT_STREQ("", ProgramGroupPath);
    EXPECT_EQ(RootKey(ClassesRoot), GetRegistryRoot());
}

// Both clicks of a double click wait in the queue while the first runs
// setup: the second must neither run it again nor open a second completion
// dialog, and Esc meanwhile must not end it half way.
TEST_F(OptionsDialog, ADoubleClickOnOkRunsSetupOnce)
{
    int completions = 0;
    INT_PTR result = RunOptions([&](HWND dialog) {
        ClickButton(dialog, IDC_PROGRAMS);      // cleared: no group to open afterwards
        HWND ok = GetDlgItem(dialog, IDOK);
        LPARAM inside = MAKELPARAM(5, 5);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            PostMessageA(ok, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, inside);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        HWND done = WaitForDialog("Lumbex Setup", IDOK, "Done", 10000);
        ASSERT_TRUE(done != NULL);
        Sleep(1000);
        completions = CountDialogs("Lumbex Setup", IDOK, "Done");
        EXPECT_TRUE(IsWindow(dialog)) << "ended half way";
        // Every completion dialog is closed, so that the run ends either way.
        while (done) {
            ClickButton(done, IDOK);
            Eventually([&] { return !IsWindow(done); });
            done = WaitForDialog("Lumbex Setup", IDOK, "Done", 1000);
        }
    });
    EXPECT_EQ(1, completions);
    EXPECT_EQ(ExitDone, result);
}

TEST_F(OptionsDialog, SilentModeAppliesTheChoicesWithoutWaitingOrAnyWindow)
{
    SilentMode = 1;
    Store(LinksKey, "StartMenu", 1);
    AssociationWatch shell;
    ASSERT_EQ(0, shell.Told());
    // However briefly: a dialog that ended while it was made must not flash.
    Shown = 0;
    HHOOK shows = SetWindowsHookExA(WH_CALLWNDPROCRET, CountShows, NULL, GetCurrentThreadId());
    ASSERT_TRUE(shows != NULL);
    DWORD start = GetTickCount();
    EXPECT_EQ(ExitDone,
              DialogBoxParamA(GetModuleHandleA(NULL), "SETUPDLG", NULL, SetupDialogProc, 0));
    EXPECT_LT(GetTickCount() - start, 5000u);
    UnhookWindowsHookEx(shows);
    EXPECT_EQ(0, Shown);
    EXPECT_EQ(std::string("\1\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, LinksKey, "StartMenu"));
    EXPECT_EQ(std::string("\0\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, LinksKey, "Desktop"));
    EXPECT_EQ(std::string("\1\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, SetupKey, "MenuIcons"));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_STARTMENU) + "\\Lumbex.lnk"));
    EXPECT_EQ(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex", ProgramGroupPath);
    // The completion dialog left the group closed on its way out.
    EXPECT_EQ(NULL, WaitForWindow("Lumbex", 3000));
    // Explorer was told of the new file types, once.
    EXPECT_EQ(1, shell.Told());
}

}  // namespace
