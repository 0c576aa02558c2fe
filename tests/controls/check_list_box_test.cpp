// The check list box in a dialog that counts the toggles it hears of, driven with input messages.
#include <doctest/doctest.h>

#include <utility>

#include "app/brindle.h"
#include "app/resource.h"
#include "controls/check_list_box.h"

namespace {

int g_toggles;
HFONT g_font;   // the parent's font while set

INT_PTR CALLBACK CountingDlgProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    g_toggles += message == WM_CHECKLIST_TOGGLED;
    if (message == WM_GETFONT && g_font)
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(g_font));
    return message == WM_GETFONT && g_font;
}

} // namespace

TEST_CASE("check list box: toggles and notifies per gesture; item height; a drawn check")
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, CountingDlgProc, 0);
    HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    REQUIRE(SubclassCheckListBox(list) == 1);
    for (const char* text : {"First", "Second", "Third"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    // toggled: the item's state afterwards and the number of WM_CHECKLIST_TOGGLED heard.
    constexpr struct { const char* name; bool inSquare; int clicks; WPARAM key; LRESULT toggled; } cases[] = {
        {"a click on the text selects only", false, 1, 0, 0},
        {"a click in the square toggles", true, 1, 0, 1},
        {"a double click on the text toggles once", false, 2, 0, 1},
        {"a double click in the square toggles once", true, 2, 0, 1},
        {"Space toggles the selection", false, 0, VK_SPACE, 1},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        SetCheckListItemState(list, 1, 0);
        SendMessageA(list, LB_SETCURSEL, c.key ? 1 : 0, 0);
        g_toggles = 0;
        RECT item;
        SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        const int h = item.bottom - item.top;
        const LPARAM at = MAKELPARAM(item.left + (c.inSquare ? h / 2 : h + 20), item.top + h / 2);
        for (int i = 0; i < c.clicks; ++i) {
            SendMessageA(list, i ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(list, WM_LBUTTONUP, 0, at);
        }
        if (c.key)
            SendMessageA(list, WM_KEYDOWN, c.key, 0);
        CHECK((GetCheckListItemState(list, 1) == c.toggled && g_toggles == c.toggled));
    }
    for (int height : {13, 20}) {   // items as high as the dialog's font, and at least 16 pixels
        g_font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
        MEASUREITEMSTRUCT measure = {};
        MeasureCheckListItem(list, &measure);
        CHECK(measure.itemHeight == (height == 13 ? 16u : 20u));
        DeleteObject(std::exchange(g_font, nullptr));
    }
    // An unchecked item drawn on the left, the same item checked on the right: only the squares differ.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, CreateBitmap(120, 16, 1, 32, nullptr));
    for (ULONG_PTR checked : {0, 1}) {
        const RECT half = {60 * LONG(checked), 0, 60 * LONG(checked) + 60, 16};
        const DRAWITEMSTRUCT draw = {ODT_LISTBOX, IDC_OPTION_LIST, 0, ODA_DRAWENTIRE, 0, list, dc, half, checked};
        DrawCheckListItem(&draw);
    }
    int inside = 0, outside = 0;
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 16; ++y)
            (x >= 1 && x < 15 && y >= 1 && y < 15 ? inside : outside) += GetPixel(dc, x, y) != GetPixel(dc, x + 60, y);
    CHECK((inside > 0 && outside == 0));
    DeleteObject(SelectObject(dc, previous));
    DeleteDC(dc);
    DestroyWindow(dialog);
}
