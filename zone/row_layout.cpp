#include "zone/row_layout.h"

#include <cstring>
#include <initializer_list>

#include "app/resource.h"
#include "zone/option_catalogue.h"

namespace {

// Mutable: measured from the template at the first layout, in pixels, then fixed.
int RowToButtonsGap;
int ButtonsToLinkGap;

RECT ControlRect(HWND dialog, int id)
{
    RECT rect;
    GetControlRect(GetDlgItem(dialog, id), &rect);
    return rect;
}

void MoveWindowToRect(HWND window, const RECT& rect)
{
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
}

// Moves the control's top edge to y; its left edge and size stay. Every move is a
// round trip to the window server: a control already there is left alone.
void MoveControlTop(HWND dialog, int id, int y)
{
    RECT rect = ControlRect(dialog, id);
    if (rect.top == y)
        return;
    rect.bottom += y - rect.top;
    rect.top = y;
    MoveWindowToRect(GetDlgItem(dialog, id), rect);
}

// Turns rect, in window's client coordinates, into the window rectangle that
// gives a client area of rect's size, anchored at the window's top-left corner.
void ClientToWindowRect(HWND window, RECT* rect)
{
    RECT frame;
    GetWindowRect(window, &frame);
    RECT client;
    GetClientRect(window, &client);
    const int frameWidth = (frame.right - frame.left) - (client.right - client.left);
    const int frameHeight = (frame.bottom - frame.top) - (client.bottom - client.top);
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    rect->left = frame.left;
    rect->top = frame.top;
    rect->right = frame.left + width + frameWidth;
    rect->bottom = frame.top + height + frameHeight;
}

// A row is its label and the four siblings after it: three buttons and the padlock.
// Only controls whose visibility changes are touched: WS_VISIBLE tells, as
// IsWindowVisible cannot while the dialog itself is hidden (during WM_INITDIALOG).
// A hidden dialog draws nothing, so the style bit alone will do there; it spares
// ShowWindow's message and focus checks, a round trip each under Wine.
void ShowRow(HWND dialog, int labelId, bool show, bool dialogHidden)
{
    HWND control = GetDlgItem(dialog, labelId);
    for (int i = 0; i < 5 && control; ++i, control = GetWindow(control, GW_HWNDNEXT)) {
        // A padlock without an image (Prompt) stays hidden, as the row's images left it.
        const bool shown = show && (i < 4 || SendMessageA(control, STM_GETIMAGE, IMAGE_ICON, 0));
        const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
        if (((style & WS_VISIBLE) != 0) == shown)
            continue;
        if (dialogHidden)
            SetWindowLongPtrA(control, GWL_STYLE, style ^ WS_VISIBLE);
        else
            ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    }
}

// Sets the label's text unless it already says that.
void SetLabelText(HWND dialog, int labelId, const char* text)
{
    char current[64];
    if (GetDlgItemTextA(dialog, labelId, current, sizeof current) == 0 || std::strcmp(current, text) != 0)
        SetDlgItemTextA(dialog, labelId, text);
}

void MeasureGaps(HWND dialog)
{
    const int buttonsTop = ControlRect(dialog, IDOK).top;
    RowToButtonsGap = buttonsTop - ControlRect(dialog, IDC_LAST_LABEL).top;
    ButtonsToLinkGap = ControlRect(dialog, IDC_LINK).top - buttonsTop;
}

} // namespace

void GetControlRect(HWND control, RECT* rect)
{
    GetWindowRect(control, rect);
    HWND parent = GetParent(control);
    ScreenToClient(parent, reinterpret_cast<POINT*>(&rect->left));
    ScreenToClient(parent, reinterpret_cast<POINT*>(&rect->right));
}

void ScaleControls(HWND dialog, UINT from, UINT to, HFONT font)
{
    // In proportion to where they stand: scaled up and down again, they come back to the pixel.
    const auto scale = [from, to](LONG pixels) { return MulDiv(pixels, to, from); };
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        RECT rect;
        GetControlRect(control, &rect);
        MoveWindowToRect(control, {scale(rect.left), scale(rect.top), scale(rect.right), scale(rect.bottom)});
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // Measured from the template at the first layout; the template scales as the controls did.
    RowToButtonsGap = scale(RowToButtonsGap);
    ButtonsToLinkGap = scale(ButtonsToLinkGap);
}

void LayoutRows(HWND dialog)
{
    if (RowToButtonsGap == 0 && ButtonsToLinkGap == 0)
        MeasureGaps(dialog);

    ZoneOption* rows[RowCount];
    const int shown = GetVisibleRows(rows);
    const bool dialogHidden = !IsWindowVisible(dialog);
    for (int row = 0; row < RowCount; ++row) {
        ShowRow(dialog, IDC_FIRST_LABEL + row, row < shown, dialogHidden);
        if (row < shown)
            SetLabelText(dialog, IDC_FIRST_LABEL + row, rows[row]->label);
    }

    // Nothing shown cannot come from the stored settings; stand under row 1 then.
    const int lastLabel = IDC_FIRST_LABEL + (shown > 0 ? shown - 1 : 0);
    const int buttonsTop = ControlRect(dialog, lastLabel).top + RowToButtonsGap;
    for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
        MoveControlTop(dialog, id, buttonsTop);
    MoveControlTop(dialog, IDC_LINK, ControlRect(dialog, IDOK).top + ButtonsToLinkGap);
    MoveControlTop(dialog, IDC_NOTICE, ControlRect(dialog, IDC_LINK).bottom);

    RECT client;
    GetClientRect(dialog, &client);
    client.bottom = client.top + ControlRect(dialog, IDC_NOTICE).bottom;
    ClientToWindowRect(dialog, &client);
    // No activation: DialogBox activates the dialog when it shows it, and after the
    // options dialog it is active already. Activating it here costs milliseconds.
    SetWindowPos(dialog, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog, nullptr, TRUE);
}
