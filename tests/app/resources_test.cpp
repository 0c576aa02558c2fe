// What the dialog templates give a keyboard user: Tab and the arrow keys reach each control.
#include "support/common.h"

namespace {

INT_PTR CALLBACK BareDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

} // namespace

TEST_CASE("Tab walks each dialog's controls in order, and the arrow keys move between the two scopes only")
{
    const struct { int dialog; std::vector<int> tabs; } cases[] = {
        {IDD_MAIN, {IDOK, IDCANCEL, IDC_OPTIONS}},
        {IDD_OPTIONS, {IDC_OPTION_LIST, IDOK, IDCANCEL}},
        {IDD_INSTALL, {IDC_FOLDER, IDC_BROWSE, IDOK, IDCANCEL}},
    };
    for (const auto& c : cases) {
        HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(c.dialog), nullptr, BareDlgProc, 0);
        std::vector<int> tabs;
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        for (HWND at = first; at && (tabs.empty() || at != first); at = GetNextDlgTabItem(dialog, at, FALSE))
            tabs.push_back(GetDlgCtrlID(at));
        CHECK(tabs == c.tabs);
        HWND allUsers = GetDlgItem(dialog, IDC_ALL_USERS);
        CHECK((!allUsers || GetNextDlgGroupItem(dialog, allUsers, TRUE) == GetDlgItem(dialog, IDC_CURRENT_USER)));
        DestroyWindow(dialog);
    }
}
