#include "setup.h"

#include <shellapi.h>

#include "../app/app.h"
#include "../resources/resource.h"
#include "../resources/text.h"

static const char HomePage[] = "http://www.lumbex.example/";

// The options dialog, hidden whenever this dialog paints.
static HWND SetupWindow;

static void OpenDocument(const char* document)
{
    ShellExecuteA(NULL, "open", document, NULL, "", SW_SHOWNORMAL);
}

// Quoted, so that a folder with blanks cannot start some other program.
static void RunArchiver()
{
    char path[MAX_PATH];
    char command[512];
    if (InstallFilePath(path, sizeof path, "Lumbex.exe") &&
        TextFormat(command, sizeof command, "\"%s\"", path))
        RunCommand(command);
}

static void ViewLicense()
{
    char path[MAX_PATH];
    if (InstallFilePath(path, sizeof path, "license.txt"))
        OpenDocument(path);
}

static void ShowPriceList()
{
    char path[MAX_PATH];
    char command[512];
    if (!InstallFilePath(path, sizeof path, "register.frm") ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    if (TextFormat(command, sizeof command, "notepad \"%s\"", path) && RunCommand(command))
        return;
    if (TextFormat(command, sizeof command, "write \"%s\"", path))
        RunCommand(command);
}

static void CloseDoneDialog(HWND dialog)
{
    if (ProgramGroupPath[0])
        OpenDocument(ProgramGroupPath);
    EndDialog(dialog, 1);
}

static void OnInitDialog(HWND dialog, LPARAM setupWindow)
{
    SetupWindow = (HWND)setupWindow;
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)AppIcon);
    MakeBoldFont(dialog);
    SendDlgItemMessageA(dialog, IDC_THANKS, WM_SETFONT, (WPARAM)BoldFont, 0);
    char folder[MAX_PATH];
    if (GetInstallFolder(folder, sizeof folder))
        SetDlgItemTextA(dialog, IDC_FOLDER, folder);
    if (SilentMode)
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

static void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        CloseDoneDialog(dialog);
        break;
    case IDC_RUN:
        RunArchiver();
        break;
    case IDC_READHELP:
        WinHelpA(dialog, "lumbex.hlp", HELP_FINDER, 0);
        break;
    case IDC_LICENSE:
        ViewLicense();
        break;
    case IDC_PRICELIST:
        ShowPriceList();
        break;
    case IDC_HOMEPAGE:
        OpenDocument(HomePage);
        break;
    }
}

INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (SetupWindow)
            ShowWindow(SetupWindow, SW_HIDE);
        return FALSE;
    case WM_INITDIALOG:
        OnInitDialog(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
