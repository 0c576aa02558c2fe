#include "zone/dialog_harness.h"

#include "app/brindle.h"
#include "app/resource.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_layout.h"

void ResetShownSettings(DWORD mask)
{
    for (int i = 0; i < OptionCount; ++i)
        OptionCatalogue[i].visible = (mask >> i) & 1;
}

ZoneFixture::ZoneFixture()
{
    ResetShownSettings();
}

HWND CreateMainDialog()
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
    SendMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);   // as DialogBox's showing: the row aids follow it
    return PumpMessages(), dialog;
}

void CloseMainDialog(HWND dialog, int how)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(how, BN_CLICKED), 0);
    DestroyWindow(dialog);
    PumpMessages();
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int ImageOf(HWND dialog, int id)
{
    const bool button = id < IDC_FIRST_STATUS;
    const LRESULT image = SendDlgItemMessageA(dialog, id, button ? BM_GETIMAGE : STM_GETIMAGE, IMAGE_ICON, 0);
    for (int index = 0; index < 8; ++index)
        if (image && image == reinterpret_cast<LRESULT>(RowIcon(index)))
            return index;
    return -1;
}

std::string RowChecks(HWND dialog, int row)
{
    std::string checks;
    for (int c = 0; c < 3; ++c)
        checks += IsDlgButtonChecked(dialog, IDC_FIRST_BUTTON + 3 * row + c) == BST_CHECKED ? '1' : '0';
    return checks;
}

RECT ControlRect(HWND dialog, int id)
{
    RECT rect;
    GetControlRect(GetDlgItem(dialog, id), &rect);
    return rect;
}

int UnitsDown(HWND dialog, int units)
{
    RECT rect = {0, units, 0, 0};
    MapDialogRect(dialog, &rect);
    return rect.top;
}
