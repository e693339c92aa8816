#include "driver/setup_dialog.h"

#include <gtest/gtest.h>

#include "driver/ui_driver.h"
#include "registry/registry.h"
#include "resources/footprint.h"

namespace {

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

HWND OpenOptionsDialog(std::initializer_list<int> ticked)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), "SETUPDLG", NULL, PlainProc, 0);
    if (!dialog)
        return NULL;
    for (int id = 5101; id <= 5111; id++)
        CheckDlgButton(dialog, id, BST_UNCHECKED);
    for (int id : ticked)
        CheckDlgButton(dialog, id, BST_CHECKED);
    return dialog;
}

HWND OpenOptionsDialogWithDefaults()
{
    return OpenOptionsDialog({5101, 5102, 5103, 5104, 5105, 5108, 5109, 5111});
}

void CloseOptionsDialog(HWND dialog)
{
    if (dialog)
        DestroyWindow(dialog);
}

static void AfterAction(HWND dialog)
{
    CloseOptionsDialog(dialog);
    EXPECT_EQ(RootKey(ClassesRoot), GetRegistryRoot());
}

bool RunAction(bool (*action)(HWND), HWND dialog)
{
    EXPECT_TRUE(dialog != NULL);
    if (!dialog)
        return false;
    bool written = action(dialog);
    AfterAction(dialog);
    return written;
}

void RunAction(void (*action)(HWND), HWND dialog)
{
    ASSERT_TRUE(dialog != NULL);
    action(dialog);
    AfterAction(dialog);
}

std::vector<int> TickedBoxes(HWND dialog)
{
    std::vector<int> ticked;
    for (int id = 5101; id <= 5111; id++)
        if (IsChecked(dialog, id))
            ticked.push_back(id);
    return ticked;
}
