// The real "SETUPDLG" from the resources linked into the test, opened
// modeless with a plain procedure, so that the setup actions can read its boxes.
#ifndef LUMBEX_TESTS_SETUP_DIALOG_H
#define LUMBEX_TESTS_SETUP_DIALOG_H

#include <windows.h>

#include <initializer_list>
#include <vector>

// Ids of the options dialog's boxes.
enum {
    Kez = 5101, Zip, Cab, Arj, Lzh, Desktop, StartMenu, Programs, ShellExt, Cascaded, MenuIcons
};

// Opens the dialog with exactly the given boxes ticked (ids 5101-5111).
HWND OpenOptionsDialog(std::initializer_list<int> ticked);
// All eleven boxes in their first-run defaults.
HWND OpenOptionsDialogWithDefaults();
void CloseOptionsDialog(HWND dialog);
// The ids of the ticked boxes of an options dialog, of any process.
std::vector<int> TickedBoxes(HWND dialog);
// Runs a setup action on an opened dialog, closes it, and expects the
// action to leave the classes root selected; returns what the action did.
bool RunAction(bool (*action)(HWND), HWND dialog);
void RunAction(void (*action)(HWND), HWND dialog);

#endif
