#include "setup.h"

#include "../resources/process.h"
#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"

static DWORD ShowStoredChoice(HWND dialog, const StoredChoice& choice)
{
    DWORD state = GetRegDword(choice.key, choice.value, choice.byDefault);
    CheckDlgButton(dialog, choice.box, state);
    return state;
}

void StoreChoices(HWND dialog, int firstBox, int lastBox)
{
    SetRegistryRoot(HKEY_CURRENT_USER);
    for (const StoredChoice& choice : StoredChoices)
        if (choice.box >= firstBox && choice.box <= lastBox)
            WriteRegDword(choice.key, choice.value, IsDlgButtonChecked(dialog, choice.box));
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}

static void EnableShellOptions(HWND dialog, BOOL enable)
{
    EnableWindow(GetDlgItem(dialog, IDC_CASCADED), enable);
    EnableWindow(GetDlgItem(dialog, IDC_MENUICONS), enable);
}

static void OnInitDialog(HWND dialog)
{
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)AppIcon);
    SetRegistryRoot(HKEY_CURRENT_USER);
    for (const StoredChoice& choice : StoredChoices) {
        DWORD state = ShowStoredChoice(dialog, choice);
        if (choice.box == IDC_SHELLEXT && state == 0)
            EnableShellOptions(dialog, FALSE);
    }
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    if (SilentMode)
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// The actions read the boxes of this dialog, which stays open until the
// completion dialog has ended.
static void RunSetup(HWND dialog)
{
    WriteAssociations(dialog);
    WriteShellRegistration(dialog);
    CreateLinks(dialog);
    DialogBoxParamA(ResourceModule, "DONEDLG", NULL, DoneDialogProc, (LPARAM)dialog);
    EndDialog(dialog, 1);
}

static void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        RunSetup(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    case IDC_HELPBUTTON:
        ShowHelp(dialog, HELP_CONTEXT, 268);
        break;
    case IDC_SHELLEXT:
        EnableShellOptions(dialog, IsDlgButtonChecked(dialog, IDC_SHELLEXT) != 0);
        break;
    }
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_HELP:
        SendMessageA(dialog, WM_COMMAND, IDC_HELPBUTTON, 0);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Every path that setup writes begins with the install folder or the
// executable's own path: without a form that the ANSI calls can take, setup
// would write look-alike paths everywhere, so it writes nothing.
static bool CanNameInstallFolder()
{
    char folder[MAX_PATH];
    char shown[MAX_PATH];
    if (!GetInstallFolder(folder, sizeof folder)) {
        DWORD length = GetCurrentDirectoryA(sizeof shown, shown);
        shown[length < sizeof shown ? length : 0] = 0;
    } else if (!OwnExecutablePath(folder, sizeof folder)) {
        ShownExecutableFolder(shown, sizeof shown);
    } else {
        return true;
    }
    if (!SilentMode)
        ShowTextMessage(IDS_SETUP_TITLE, IDS_UNUSABLE_FOLDER, shown, MB_ICONERROR);
    return false;
}

int RunSetupMode()
{
    if (!CanNameInstallFolder())
        return ExitFailed;
    DialogBoxParamA(ResourceModule, "SETUPDLG", NULL, SetupDialogProc, 0);
    return ExitDone;
}
