#include "zone/row_layout.h"

#include <initializer_list>

#include "app/resource.h"
#include "zone/option_catalogue.h"

namespace {

// Measured from the template at the first layout, in pixels, then fixed.
int RowToButtonsGap;
int ButtonsToLinkGap;

RECT ControlRect(HWND dialog, int id)
{
    RECT rect;
    GetControlRect(GetDlgItem(dialog, id), &rect);
    return rect;
}

BOOL MoveWindowToRect(HWND window, const RECT& rect)
{
    return MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
}

// Moves the control's top edge to y; its left edge and size stay.
void MoveControlTop(HWND dialog, int id, int y)
{
    RECT rect = ControlRect(dialog, id);
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
void ShowRow(HWND dialog, int labelId, bool show)
{
    HWND control = GetDlgItem(dialog, labelId);
    for (int i = 0; i < 5 && control; ++i, control = GetWindow(control, GW_HWNDNEXT))
        ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
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

void LayoutRows(HWND dialog)
{
    if (RowToButtonsGap == 0 && ButtonsToLinkGap == 0)
        MeasureGaps(dialog);

    ZoneOption* rows[RowCount];
    const int shown = GetVisibleRows(rows);
    for (int row = 0; row < RowCount; ++row) {
        ShowRow(dialog, IDC_FIRST_LABEL + row, row < shown);
        if (row < shown)
            SetDlgItemTextA(dialog, IDC_FIRST_LABEL + row, rows[row]->label);
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
    SetWindowPos(dialog, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    InvalidateRect(dialog, nullptr, TRUE);
}
