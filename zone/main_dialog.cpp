#include "zone/main_dialog.h"

#include <iterator>

#include "app/brindle.h"
#include "app/resource.h"
#include "controls/hyperlink.h"
#include "zone/option_catalogue.h"
#include "zone/options_dialog.h"
#include "zone/row_aids.h"
#include "zone/row_layout.h"
#include "zone/zone_policy.h"

namespace {

struct RowIconEntry {
    HICON handle;
    WORD resourceId;
};

// For the button of choice c the colour image is entry c, the grey one c + GreyIcons.
RowIconEntry IconTable[] = {
    {nullptr, IDI_ENABLE},     {nullptr, IDI_PROMPT},     {nullptr, IDI_DISABLE},
    {nullptr, IDI_ENABLE_OFF}, {nullptr, IDI_PROMPT_OFF}, {nullptr, IDI_DISABLE_OFF},
    {nullptr, IDI_LOCKED},     {nullptr, IDI_UNLOCKED},
};
constexpr int LockedIcon = 6;
constexpr int UnlockedIcon = 7;
static_assert(std::size(IconTable) == 8, "the row icon table");

// The notice's own font and the smaller one it shows while the dialog lives.
HFONT g_noticeFont;
HFONT g_smallPrintFont;

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

// Posted at the dialog's showing, for the work that can wait until it has painted.
constexpr UINT WM_AFTER_SHOWING = WM_APP;

// The padlocks of rows first to end - 1.
void PlacePadlocks(HWND dialog, int first, int end)
{
    for (int row = first; row < end; ++row)
        PlacePadlock(GetDlgItem(dialog, IDC_FIRST_STATUS + row));
}

int ShownRowCount()
{
    ZoneOption* rows[RowCount];
    return GetVisibleRows(rows);
}

bool IsRowButton(int id)
{
    return id >= IDC_FIRST_BUTTON && id <= IDC_LAST_BUTTON;
}

// Choices not yet applied are dropped: the rows are read again from the zone.
void OnOptions(HWND dialog)
{
    if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), dialog, OptionsDlgProc, 0) != IDOK)
        return;
    LayoutRows(dialog);
    LoadZonePolicies(dialog);
}

void OnInitDialog(HWND dialog)
{
    LoadViewSettings(dialog);
    InitRowIcons(dialog);
    LoadZonePolicies(dialog);
    SubclassHyperlink(dialog, IDC_LINK, IDCUR_HAND);
    ApplySmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &g_noticeFont, &g_smallPrintFont);
}

// The hidden padlocks and the row aids wait for the window: no pointer can rest
// on a button before it shows, and the window shows and paints that much sooner.
void OnShowWindow(HWND dialog, BOOL shown)
{
    if (shown)
        PostMessageA(dialog, WM_AFTER_SHOWING, 0, 0);
}

void OnAfterShowing(HWND dialog)
{
    // Once: a later showing finds the hover procedure in place.
    const auto hover = reinterpret_cast<LONG_PTR>(RowButtonHoverProc);
    if (GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_BUTTON), GWLP_WNDPROC) == hover)
        return;
    UpdateWindow(dialog);   // the first paint before the aids, not after them
    PlaceHiddenPadlocks(dialog);
    // Tooltips first, so the hover procedure is outermost and sees every message.
    AddRowTooltips(dialog);
    for (int id = IDC_FIRST_BUTTON; id <= IDC_LAST_BUTTON; ++id)
        SubclassRowButton(dialog, id);
}

BOOL OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
        ApplyZonePolicies(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_OPTIONS:
        OnOptions(dialog);
        return TRUE;
    }
    if (IsRowButton(id) && code == BN_CLICKED)
        UpdateRowImages(dialog, id);
    else if (IsRowButton(id) && code == BN_DOUBLECLICKED)
        // Posted, so the double-click ends as OK once the click itself is handled.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return FALSE;
}

void OnDestroy(HWND dialog)
{
    RestoreSmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &g_noticeFont, &g_smallPrintFont);
    for (RowIconEntry& icon : IconTable) {
        if (icon.handle)
            DestroyIcon(icon.handle);
        icon.handle = nullptr;
    }
    SaveViewSettings(dialog);
}

} // namespace

void InitRowIcons(HWND dialog)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (RowIconEntry& icon : IconTable)
        icon.handle = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(icon.resourceId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    PlacePadlocks(dialog, 0, ShownRowCount());
    LayoutRows(dialog);
}

void PlaceHiddenPadlocks(HWND dialog)
{
    PlacePadlocks(dialog, ShownRowCount(), RowCount);
}

HICON RowIcon(int index)
{
    return IconTable[index].handle;
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

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        OnShowWindow(dialog, static_cast<BOOL>(wParam));
        return FALSE;
    case WM_AFTER_SHOWING:
        OnAfterShowing(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    }
    return FALSE;
}
