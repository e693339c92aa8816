#include "setup.h"

#include <shellapi.h>

#include "../resources/footprint.h"
#include "../resources/path_forms.h"
#include "../resources/process.h"
#include "../resources/resource.h"
#include "../resources/text.h"

const char HomePage[] = "http://www.lumbex.example/";

// The options dialog, hidden whenever this dialog paints.
static HWND SetupWindow;

// A program that the shell starts for the document begins in directory.
static void OpenDocument(const char* document, const char* directory)
{
    ShellExecuteA(NULL, "open", document, NULL, directory, SW_SHOWNORMAL);
}

static void OpenForViewing(const char* document)
{
    char viewer[MAX_PATH];
    if (ViewerFolder(viewer, sizeof viewer))
        OpenDocument(document, viewer);
}

// Quoted, so that a folder with blanks cannot start some other program.
// The archiver is the one program that may keep the install folder.
static void RunArchiver()
{
    char path[MAX_PATH];
    char command[512];
    if (InstallFilePath(path, sizeof path, "Lumbex.exe") &&
        TextFormat(command, sizeof command, "\"%s\"", path))
        RunCommand(command, NULL);
}

static void ViewLicense()
{
    char path[MAX_PATH];
    if (InstallFilePath(path, sizeof path, "license.txt"))
        OpenForViewing(path);
}

// A viewer of the system's, by its full path: searched for by its name, a
// program of that name beside the tool would come first.
static bool RunViewer(const char* program, const char* document, const char* folder)
{
    char path[MAX_PATH];
    char command[512];
    return SystemFilePath(path, sizeof path, program) &&
           TextFormat(command, sizeof command, "\"%s\" \"%s\"", path, document) &&
           RunCommand(command, folder);
}

static void ShowPriceList()
{
    char path[MAX_PATH];
    char viewer[MAX_PATH];
    if (!InstallFilePath(path, sizeof path, "register.frm") ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ||
        !ViewerFolder(viewer, sizeof viewer))
        return;
    if (!RunViewer("notepad.exe", path, viewer))
        RunViewer("write.exe", path, viewer);
}

// The group's window would hold whatever folder it starts in, and the
// uninstaller removes the group as well. A silent run opens no window: run
// as the system account, it would be a file browser with its rights.
static void CloseDoneDialog(HWND dialog)
{
    if (ProgramGroupPath[0] && !SilentMode)
        OpenForViewing(ProgramGroupPath);
    EndDialog(dialog, 1);
}

// The dialog's own font in bold, so that the line scales with the display
// as the dialog's text does. Released at the end of the run.
static void MakeBoldFont(HWND window)
{
    HFONT font = (HFONT)SendMessageA(window, WM_GETFONT, 0, 0);
    LOGFONTA bold;
    if (!font || GetObjectA(font, sizeof bold, &bold) != sizeof bold)
        return;
    bold.lfWeight = FW_BOLD;
    HFONT made = CreateFontIndirectA(&bold);
    if (!made)
        return;
    if (BoldFont)
        DeleteObject(BoldFont);
    BoldFont = made;
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
    SetDlgItemTextA(dialog, IDC_SCOPE, LoadText(UserClasses ? IDS_SCOPE_USER : IDS_SCOPE_ALL));
    if (SilentMode)
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

static void OnDoneCommand(HWND dialog, int id)
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
        ShowHelp(dialog, HELP_FINDER, 0);
        break;
    case IDC_LICENSE:
        ViewLicense();
        break;
    case IDC_PRICELIST:
        ShowPriceList();
        break;
    case IDC_HOMEPAGE:
        OpenForViewing(HomePage);
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
        OnDoneCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        KeepHiddenWhenSilent(lParam);
        break;
    }
    return FALSE;
}
