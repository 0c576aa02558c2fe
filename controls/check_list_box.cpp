#include "controls/check_list_box.h"

#include <windowsx.h>

#include "app/handles.h"
#include "controls/check_list_accessible.h"
#include "controls/dpi.h"
#include "controls/subclass.h"

namespace {

// Names the property holding the movable block with the list box's previous procedure.
constexpr char PropertyName[] = "CheckListBoxWndProc";

WNDPROC ReadPreviousProc(HANDLE block)
{
    WNDPROC previous = nullptr;
    if (const auto* stored = static_cast<const WNDPROC*>(GlobalLock(block))) {
        previous = *stored;
        GlobalUnlock(block);
    }
    return previous;
}

void Notify(HWND listBox)
{
    SendNotifyMessageA(GetParent(listBox), WM_CHECKLIST_TOGGLED, 0, 0);
}

// The item is drawn again before the caller goes on, so the parent sees what it stored.
void RepaintItem(HWND listBox, int index)
{
    RECT item;
    if (SendMessageA(listBox, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(listBox, &item, FALSE);
    UpdateWindow(listBox);
}

// The square sits one pixel inside the item's left, top and bottom edges.
RECT CheckSquare(const RECT& item)
{
    const int height = item.bottom - item.top;
    return {item.left + 1, item.top + 1, item.left + height - 1, item.bottom - 1};
}

POINT PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

struct ItemColours {
    COLORREF background;
    COLORREF text;
};

ItemColours ColoursFor(UINT state)
{
    if (state & ODS_DISABLED)
        return {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT)};
    if (state & ODS_SELECTED)
        return {GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT)};
    return {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
}

void DrawItemText(const DRAWITEMSTRUCT* draw, RECT textBox, COLORREF colour)
{
    const LRESULT length = SendMessageA(draw->hwndItem, LB_GETTEXTLEN, draw->itemID, 0);
    if (length == LB_ERR)
        return;
    HeapBuffer text = AllocateBuffer(length + 1);
    if (!text)
        return;
    SendMessageA(draw->hwndItem, LB_GETTEXT, draw->itemID, reinterpret_cast<LPARAM>(text.get()));
    SetTextColor(draw->hDC, colour);
    DrawTextA(draw->hDC, text.get(), -1, &textBox, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void DrawWholeItem(const DRAWITEMSTRUCT* draw)
{
    const RECT& item = draw->rcItem;
    const ItemColours colours = ColoursFor(draw->itemState);
    HBRUSH background = CreateSolidBrush(colours.background);
    FillRect(draw->hDC, &item, background);
    DeleteObject(background);

    if (draw->itemID != static_cast<UINT>(-1)) {
        RECT square = CheckSquare(item);
        DrawFrameControl(draw->hDC, &square, DFC_BUTTON, DFCS_BUTTONCHECK | (draw->itemData ? DFCS_CHECKED : 0));
        const RECT textBox = {item.left + (item.bottom - item.top) + 1, item.top, item.right, item.bottom};
        if (textBox.right > textBox.left)
            DrawItemText(draw, textBox, colours.text);
    }
    if (draw->itemState & ODS_FOCUS)
        DrawFocusRect(draw->hDC, &item);
}

// True when point (client coordinates) lies in the check square of the item under it.
bool HitTestCheckSquare(HWND listBox, POINT point)
{
    // Off the items the answer's high word is set, which no item index has.
    const LRESULT index = SendMessageA(listBox, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    RECT item;
    if (SendMessageA(listBox, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR)
        return false;
    const RECT square = CheckSquare(item);
    return PtInRect(&square, point) != FALSE;
}

void ToggleCheckListItem(HWND listBox, int index)
{
    SetCheckListItemState(listBox, index, GetCheckListItemState(listBox, index) == 0 ? 1 : 0);
}

// Toggles the current selection, if there is one.
void ToggleCheckListSelection(HWND listBox)
{
    const LRESULT selection = SendMessageA(listBox, LB_GETCURSEL, 0, 0);
    if (selection != LB_ERR)
        ToggleCheckListItem(listBox, static_cast<int>(selection));
}

// Space, a click in a square and a double click elsewhere are the toggle gestures.
LRESULT ToggleAndNotify(HWND listBox)
{
    ToggleCheckListSelection(listBox);
    Notify(listBox);
    return 0;
}

LRESULT CALLBACK CheckListBoxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The list box acts first: a click has already moved the selection when we look.
    LRESULT result = 0;
    if (HANDLE block = GetPropA(window, PropertyName))
        if (WNDPROC previous = ReadPreviousProc(block))
            result = CallWindowProcA(previous, window, message, wParam, lParam);

    switch (message) {
    case WM_NCDESTROY:
        if (HANDLE block = RemovePropA(window, PropertyName))
            GlobalFree(block);
        return result;
    case WM_KEYDOWN:
        // Space held down repeats: one press, one toggle.
        return wParam == VK_SPACE && !(HIWORD(lParam) & KF_REPEAT) ? ToggleAndNotify(window) : result;
    case WM_LBUTTONDOWN:
        return HitTestCheckSquare(window, PointOf(lParam)) ? ToggleAndNotify(window) : 0;
    case WM_LBUTTONDBLCLK:
        // In a square the first click has toggled already.
        return HitTestCheckSquare(window, PointOf(lParam)) ? result : ToggleAndNotify(window);
    case WM_CHECKLIST_DEFAULT_ACTION:
        SendMessageA(window, LB_SETCURSEL, wParam, 0);
        return ToggleAndNotify(window);
    case WM_DPICHANGED_AFTERPARENT: {
        // The dialog manager gives a moved list the font of its new scale, but a fixed
        // owner-drawn list asks its items' height only once.
        MEASUREITEMSTRUCT measure = {};
        MeasureCheckListItem(window, &measure);
        SendMessageA(window, LB_SETITEMHEIGHT, 0, measure.itemHeight);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_GETOBJECT:
        // The list box's own answer would name its items but not whether they are checked.
        return static_cast<LONG>(lParam) == OBJID_CLIENT ? AnswerCheckListObject(window, wParam) : result;
    }
    return result;
}

} // namespace

bool SubclassCheckListBox(HWND listBox)
{
    // The block comes first: if it cannot be had, the list box keeps its own procedure.
    HANDLE block = GlobalAlloc(GMEM_MOVEABLE, sizeof(WNDPROC));
    if (!block)
        return false;
    auto* stored = static_cast<WNDPROC*>(GlobalLock(block));
    if (!stored) {
        GlobalFree(block);
        return false;
    }
    *stored = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(listBox, GWLP_WNDPROC));
    GlobalUnlock(block);
    return GraftProcedure(listBox, PropertyName, block, CheckListBoxWndProc);
}

void MeasureCheckListItem(HWND listBox, MEASUREITEMSTRUCT* measure)
{
    // The list has no font of its own yet while it is being made: the dialog's then.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(listBox, WM_GETFONT, 0, 0));
    if (!font)
        font = reinterpret_cast<HFONT>(SendMessageA(GetParent(listBox), WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    // As high as the font needs, and the check square room for its mark even under a
    // small font: 16 pixels at 96 DPI, as much in proportion at the list's display scale.
    const LONG least = MulDiv(16, WindowDpi(listBox), DefaultDpi);
    measure->itemHeight = metrics.tmHeight >= least ? metrics.tmHeight : least;
}

void DrawCheckListItem(const DRAWITEMSTRUCT* draw)
{
    const int previousMode = SetBkMode(draw->hDC, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(draw->hDC, RGB(0, 0, 0));
    switch (draw->itemAction) {
    case ODA_DRAWENTIRE:
    case ODA_SELECT:
        DrawWholeItem(draw);
        break;
    case ODA_FOCUS:
        DrawFocusRect(draw->hDC, &draw->rcItem);
        break;
    }
    SetTextColor(draw->hDC, previousColour);
    SetBkMode(draw->hDC, previousMode);
}

void SetCheckListItemState(HWND listBox, int index, DWORD state)
{
    SendMessageA(listBox, LB_SETITEMDATA, index, state);
    RepaintItem(listBox, index);
    // A screen reader says the item's new state; child ids count the items from 1.
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, listBox, OBJID_CLIENT, index + 1);
}

LRESULT GetCheckListItemState(HWND listBox, int index)
{
    return SendMessageA(listBox, LB_GETITEMDATA, index, 0);
}

int CountCheckedListItems(HWND listBox)
{
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    int checked = 0;
    for (int i = 0; i < count; ++i)
        if (GetCheckListItemState(listBox, i) != 0)
            ++checked;
    return checked;
}
