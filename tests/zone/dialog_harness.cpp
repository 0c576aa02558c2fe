#include "zone/dialog_harness.h"

#include "app/brindle.h"
#include "app/resource.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_layout.h"

namespace {

// Colour pixels, as the platform stored them: two icons loaded alike give the same.
std::string IconBits(HICON icon)
{
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return "";
    std::string bits(16 * 16 * 4, '\0');
    bits.resize(GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), &bits[0]));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits;
}

int IconResourceOf(HICON icon)
{
    for (int id : {IDI_ENABLE, IDI_PROMPT, IDI_DISABLE, IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE_OFF, IDI_LOCKED,
                   IDI_UNLOCKED}) {
        HICON reference = static_cast<HICON>(LoadImageA(g_instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
        const bool same = IconBits(reference) == IconBits(icon);
        DestroyIcon(reference);
        if (icon && same)
            return id;
    }
    return icon ? -1 : 0;
}

} // namespace

void ResetShownSettings(DWORD mask)
{
    for (int i = 0; i < OptionCount; ++i)
        OptionCatalogue[i].visible = (mask >> i) & 1;
}

HWND CreateMainDialog()
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
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
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int ButtonImage(HWND dialog, int id)
{
    return IconResourceOf(reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, id, BM_GETIMAGE, IMAGE_ICON, 0)));
}

int StatusImage(HWND dialog, int row)
{
    return IconResourceOf(
        reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, IDC_FIRST_STATUS + row, STM_GETIMAGE, IMAGE_ICON, 0)));
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
