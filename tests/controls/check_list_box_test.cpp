// The check list box in a dialog that counts the toggles it hears of, driven with input messages.
#include "support/common.h"

#include "controls/check_list_box.h"

namespace {

int g_toggles;

INT_PTR CALLBACK CountingDlgProc(HWND, UINT message, WPARAM, LPARAM)
{
    g_toggles += message == WM_CHECKLIST_TOGGLED;
    return FALSE;
}

} // namespace

TEST_CASE("check list box: toggles and notifies once per gesture")
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
    DestroyWindow(dialog);
}
