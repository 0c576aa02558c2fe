#include "zone/dialog_harness.h"

#include <string>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_layout.h"

namespace {

constexpr int RowIconIds[] = {IDI_ENABLE,  IDI_PROMPT,   IDI_DISABLE,     IDI_ENABLE_OFF,
                              IDI_PROMPT_OFF, IDI_DISABLE_OFF, IDI_LOCKED, IDI_UNLOCKED};

std::vector<BYTE> IconPixels(HICON icon)
{
    std::vector<BYTE> pixels;
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return pixels;
    BITMAPINFO bitmap = {};
    bitmap.bmiHeader.biSize = sizeof bitmap.bmiHeader;
    bitmap.bmiHeader.biWidth = 16;
    bitmap.bmiHeader.biHeight = 16;
    bitmap.bmiHeader.biPlanes = 1;
    bitmap.bmiHeader.biBitCount = 32;
    bitmap.bmiHeader.biCompression = BI_RGB;
    pixels.resize(2 * 16 * 16 * 4);
    HDC dc = GetDC(nullptr);
    if (info.hbmColor)
        GetDIBits(dc, info.hbmColor, 0, 16, pixels.data(), &bitmap, DIB_RGB_COLORS);
    GetDIBits(dc, info.hbmMask, 0, 16, pixels.data() + 16 * 16 * 4, &bitmap, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
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

int IconResourceOf(HICON icon)
{
    if (!icon)
        return 0;
    const std::vector<BYTE> shown = IconPixels(icon);
    for (int id : RowIconIds) {
        HICON reference = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                        16, 16, LR_DEFAULTCOLOR));
        const bool same = IconPixels(reference) == shown;
        DestroyIcon(reference);
        if (same)
            return id;
    }
    return -1;
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

RECT ControlPixels(HWND dialog, int id)
{
    RECT rect;
    GetControlRect(GetDlgItem(dialog, id), &rect);
    return rect;
}

RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height)
{
    // The platform converts a template control's place and size separately.
    RECT place = {x, y, width, height};
    MapDialogRect(dialog, &place);
    return {place.left, place.top, place.left + place.right, place.top + place.bottom};
}

int DialogUnitsToPixelsY(HWND dialog, int y)
{
    return DialogUnitsToPixels(dialog, 0, y, 0, 0).top;
}

int ClientHeight(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    return client.bottom - client.top;
}

std::string RowChecks(HWND dialog, int row)
{
    std::string checks;
    for (int c = 0; c < 3; ++c)
        checks += IsDlgButtonChecked(dialog, IDC_FIRST_BUTTON + 3 * row + c) == BST_CHECKED ? '1' : '0';
    return checks;
}
