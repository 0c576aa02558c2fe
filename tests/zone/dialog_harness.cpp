#include "zone/dialog_harness.h"

#include "app/brindle.h"
#include "app/resource.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"

void ResetShownSettings(DWORD mask)
{
    for (int i = 0; i < OptionCount; ++i)
        OptionCatalogue[i].visible = (mask >> i) & 1;
}

ZoneFixture::ZoneFixture()
{
    ResetShownSettings();
    WriteDword(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel", URLTEMPLATE_MEDIUM);
    for (const ZoneOption& option : OptionCatalogue)
        SetPolicy(option.urlAction, URLPOLICY_QUERY);
}

// A policy's value is named by its action in upper-case hexadecimal.
static std::string ActionName(DWORD action)
{
    char name[16];
    wsprintfA(name, "%lX", action);
    return name;
}

void SetPolicy(DWORD action, DWORD policy) { WriteDword(HKEY_CURRENT_USER, ZoneKey, ActionName(action).c_str(), policy); }

DWORD PolicyOf(DWORD action) { return DwordValue(HKEY_CURRENT_USER, ZoneKey, ActionName(action).c_str()); }

HWND CreateMainDialog()
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
    SendMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);   // as DialogBox's showing: the row aids follow it
    PumpMessages();
    return dialog;
}

void CloseMainDialog(HWND dialog, int how)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(how, BN_CLICKED), 0);
    DestroyWindow(dialog);
    PumpMessages();
}

void PumpMessages()
{
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&message))
        TranslateMessage(&message);
}

std::string RowChecks(HWND dialog, int row)
{
    std::string checks;
    for (int c = 0; c < 3; ++c)
        checks += IsDlgButtonChecked(dialog, IDC_FIRST_BUTTON + 3 * row + c) == BST_CHECKED ? '1' : '0';
    return checks;
}
