#include <shlobj.h>

#include <functional>
#include <thread>

#include "driver/setup_dialog.h"
#include "driver/ui_driver.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/setup.h"
#include "setup_fixture.h"

namespace {

const std::string SetupKey = SettingsKey;
const std::string Links = SetupKey + "\\Links";

void Store(const std::string& key, const char* value, DWORD data)
{
    SetRaw(HKEY_CURRENT_USER, key, value, REG_DWORD, std::string((const char*)&data, 4));
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
    EXPECT_EQ(HKEY_CLASSES_ROOT, GetRegistryRoot());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
    DestroyWindow(dialog);
}

TEST_F(OptionsDialog, StoredChoicesAreShownAndShellIntegrationGuardsItsOptions)
{
    for (const char* type : {".kez", ".cab", ".arj", ".lzh"})
        Store(SetupKey + "\\" + type, "Associated", 0);
    Store(SetupKey + "\\.zip", "Associated", 1);
    Store(Links, "Desktop", 1);
    Store(Links, "StartMenu", 0);
    Store(Links, "Programs", 0);
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
    EXPECT_EQ(0, escaped);
    EXPECT_EQ(0, closed);
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
            RegRaw(HKEY_CURRENT_USER, Links, "Desktop") == std::string("\1\0\0\0", 4);
        registeredBeforeDone = ValueExists(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString");
        setupHidden = Eventually([&] { return !IsShown(dialog); }) && IsWindow(dialog);
        ClickButton(done, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(storedBeforeDone);
    EXPECT_TRUE(registeredBeforeDone);
    EXPECT_TRUE(setupHidden);
    EXPECT_FALSE(IsWindow(options));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Lumbex.lnk"));
    EXPECT_STREQ("", ProgramGroupPath);
    EXPECT_EQ(HKEY_CLASSES_ROOT, GetRegistryRoot());
}

TEST_F(OptionsDialog, SilentModeAppliesTheChoicesWithoutWaiting)
{
    SilentMode = 1;
    Store(Links, "StartMenu", 1);
    DWORD start = GetTickCount();
    EXPECT_EQ(1, DialogBoxParamA(GetModuleHandleA(NULL), "SETUPDLG", NULL, SetupDialogProc, 0));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(std::string("\1\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, Links, "StartMenu"));
    EXPECT_EQ(std::string("\0\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, Links, "Desktop"));
    EXPECT_EQ(std::string("\1\0\0\0", 4), RegRaw(HKEY_CURRENT_USER, SetupKey, "MenuIcons"));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_STARTMENU) + "\\Lumbex.lnk"));
    EXPECT_EQ(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex", ProgramGroupPath);
    // The completion dialog opened the group on its way out.
    EXPECT_TRUE(WaitForWindow("Lumbex", 10000) != NULL);
}

}  // namespace
