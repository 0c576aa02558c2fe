#include "zone/row_images.h"

#include <iterator>

#include "app/resource.h"
#include "controls/dpi.h"
#include "zone/option_catalogue.h"
#include "zone/row_layout.h"

namespace {

struct RowIconEntry {
    HICON handle;
    WORD resourceId;
};

// Mutable: the handles live from LoadRowIcons to DestroyRowIcons. Entry c is the
// colour image of choice c, c + GreyIcons its grey one.
RowIconEntry IconTable[] = {
    {nullptr, IDI_ENABLE},     {nullptr, IDI_PROMPT},     {nullptr, IDI_DISABLE},
    {nullptr, IDI_ENABLE_OFF}, {nullptr, IDI_PROMPT_OFF}, {nullptr, IDI_DISABLE_OFF},
    {nullptr, IDI_LOCKED},     {nullptr, IDI_UNLOCKED},
};
static_assert(std::size(IconTable) == 8 && LockedIcon == 6 && UnlockedIcon == 7, "the row icon table");

// The sizes tools/make_icons.py draws every icon at, smallest first.
constexpr int IconSizes[] = {16, 20, 24, 32, 40, 48, 64};

void SetButtonIcon(HWND button, HICON icon)
{
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

// The padlock's image and its name for screen readers, its window text: set by the
// default procedure, as an icon static need not keep text (Wine's ignores WM_SETTEXT).
void SetPadlock(HWND padlock, int icon)
{
    SendMessageA(padlock, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon < 0 ? nullptr : RowIcon(icon)));
    DefWindowProcA(padlock, WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(icon == LockedIcon ? "Locked" : icon == UnlockedIcon ? "Unlocked" : ""));
}

// Centres the padlock vertically on the row's Disable button, its left edge kept.
void PlacePadlock(HWND padlock)
{
    SetPadlock(padlock, LockedIcon);
    RECT icon, button;
    GetControlRect(padlock, &icon);
    GetControlRect(GetWindow(padlock, GW_HWNDPREV), &button);
    const int top = button.top + ((button.bottom - button.top) - (icon.bottom - icon.top)) / 2;
    SetWindowPos(padlock, nullptr, icon.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace

void LoadRowIcons(UINT dpi)
{
    DestroyRowIcons();
    for (RowIconEntry& icon : IconTable)
        icon.handle = LoadIconForDpi(icon.resourceId, 16, dpi);
}

HICON LoadIconForDpi(int resourceId, int base, UINT dpi)
{
    const int wanted = MulDiv(base, dpi, DefaultDpi);
    int size = IconSizes[std::size(IconSizes) - 1];
    for (int drawn : IconSizes)
        if (drawn >= wanted && drawn < size)
            size = drawn;
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void DestroyRowIcons()
{
    for (RowIconEntry& icon : IconTable) {
        if (icon.handle)
            DestroyIcon(icon.handle);
        icon.handle = nullptr;
    }
}

HICON RowIcon(int index)
{
    return IconTable[index].handle;
}

void PlacePadlocks(HWND dialog, int first, int end)
{
    for (int row = first; row < end; ++row)
        PlacePadlock(GetDlgItem(dialog, IDC_FIRST_STATUS + row));
}

void UpdateRowImages(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    while (button && !(GetWindowLongPtrA(button, GWL_STYLE) & WS_GROUP))
        button = GetWindow(button, GW_HWNDPREV);

    int chosen = 1;   // Prompt, or nothing checked: no padlock
    for (int c = 0; c < ChoiceCount && button; ++c, button = GetWindow(button, GW_HWNDNEXT)) {
        const bool checked = SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SetButtonIcon(button, IconTable[checked ? c : c + GreyIcons].handle);
        if (checked)
            chosen = c;
    }
    if (!button)
        return;
    const int padlock[ChoiceCount] = {UnlockedIcon, -1, LockedIcon};
    SetPadlock(button, padlock[chosen]);
    // Hidden, it is no object a screen reader lists; on screen it showed nothing.
    const bool show = padlock[chosen] >= 0;
    if (((GetWindowLongPtrA(button, GWL_STYLE) & WS_VISIBLE) != 0) != show)
        ShowWindow(button, show ? SW_SHOWNA : SW_HIDE);
}
