#include "setup.h"

#include <shlobj.h>

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

// A language module made without one of the dialogs leaves it to the own image.
static INT_PTR OpenDialog(const char* name, DLGPROC procedure, LPARAM parameter)
{
    HMODULE module = ResourceModule;
    if (!FindResourceA(module, name, (LPCSTR)RT_DIALOG))
        module = OwnInstance;
    return DialogBoxParamA(module, name, NULL, procedure, parameter);
}

void KeepHiddenWhenSilent(LPARAM windowPosition)
{
    if (SilentMode)
        ((WINDOWPOS*)windowPosition)->flags &= ~SWP_SHOWWINDOW;
}

// What the last run could not do, named in its message.
static const char* Failure;
bool FirstSetup;

// The actions read the boxes of this dialog, which stays open until the
// completion dialog has ended. The dialog ends with the run's exit code.
static void RunSetup(HWND dialog)
{
    // Disabled to the end: a second click on OK, or an Esc, already waiting
    // must neither run setup again nor end it half way.
    EnableWindow(dialog, FALSE);
    Failure = NULL;
    // A later setup over an earlier one leaves that registration in place.
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    FirstSetup = !RegKeyExists(UninstallEntryKey);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    if (!WriteAssociations(dialog))
        Failure = "HKEY_CLASSES_ROOT";
    if (!WriteShellRegistration(dialog))
        Failure = UninstallEntryKey;
    // Explorer keeps the old icons and handlers until it hears of the change.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
    CreateLinks(dialog);
    // A completion dialog would claim success.
    if (!Failure && OpenDialog("DONEDLG", DoneDialogProc, (LPARAM)dialog) == -1)
        Failure = "DONEDLG";
    EndDialog(dialog, Failure ? ExitFailed : ExitDone);
}

static void OnOptionsCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        if (IsWindowEnabled(dialog))
            RunSetup(dialog);
        break;
    case IDCANCEL:
        if (IsWindowEnabled(dialog))
            EndDialog(dialog, ExitDeclined);
        break;
    case IDC_HELPBUTTON:
        ShowHelp(dialog, HELP_CONTEXT, 268);
        break;
    case IDC_SHELLEXT:
        EnableShellOptions(dialog, IsDlgButtonChecked(dialog, IDC_SHELLEXT) != 0);
        break;
    }
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_HELP:
        SendMessageA(dialog, WM_COMMAND, IDC_HELPBUTTON, 0);
        return TRUE;
    case WM_COMMAND:
        OnOptionsCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        KeepHiddenWhenSilent(lParam);
        break;
    }
    return FALSE;
}

static int Fail(int textId, const char* detail)
{
    ShowError(IDS_SETUP_TITLE, textId, detail);
    return ExitFailed;
}

// Every path that setup writes begins with the install folder, the tool's
// own: without a form that the ANSI calls can take, or without the archiver
// in it, setup writes nothing. Nor where it may write for nobody.
int RunSetupMode()
{
    char folder[MAX_PATH];
    int refusal = EnterInstallFolder(folder, sizeof folder);
    if (refusal)
        return Fail(refusal, folder);
    if (!MayWriteMachineWide() && !EnterUserScope())
        return Fail(IDS_SETUP_FAILED, "HKEY_CURRENT_USER");
    Failure = "SETUPDLG";
    INT_PTR result = OpenDialog("SETUPDLG", SetupDialogProc, 0);
    if (result == ExitDone || result == ExitDeclined)
        return (int)result;
    return Fail(IDS_SETUP_FAILED, Failure);
}
