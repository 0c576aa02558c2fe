#include "zone/row_images.h"

#include <iterator>

#include "app/resource.h"
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

void SetButtonIcon(HWND button, HICON icon)
{
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

void SetStaticIcon(HWND control, HICON icon)
{
    SendMessageA(control, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

// Centres the padlock vertically on the row's Disable button, its left edge kept.
void PlacePadlock(HWND padlock)
{
    SetStaticIcon(padlock, IconTable[LockedIcon].handle);
    RECT icon, button;
    GetControlRect(padlock, &icon);
    GetControlRect(GetWindow(padlock, GW_HWNDPREV), &button);
    const int top = button.top + ((button.bottom - button.top) - (icon.bottom - icon.top)) / 2;
    SetWindowPos(padlock, nullptr, icon.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace

void LoadRowIcons()
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (RowIconEntry& icon : IconTable)
        icon.handle = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(icon.resourceId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
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
    const HICON padlock[ChoiceCount] = {IconTable[UnlockedIcon].handle, nullptr, IconTable[LockedIcon].handle};
    SetStaticIcon(button, padlock[chosen]);
}
