// What the dialog templates give a keyboard user: Tab, the mnemonics and the arrow keys reach each control.
#include "support/common.h"

TEST_CASE("Tab walks each dialog's controls in order, a mnemonic reaches its own, the arrow keys the other scope")
{
    // keys: the mnemonics, each reaching the control of the same place in reached.
    const struct { int dialog; std::vector<int> tabs; const char* keys; std::vector<int> reached; } cases[] = {
        {IDD_MAIN, {IDOK, IDCANCEL, IDC_OPTIONS}, "o", {IDC_OPTIONS}},
        {IDD_OPTIONS, {IDC_OPTION_LIST, IDOK, IDCANCEL}, "o", {IDC_OPTION_LIST}},
        {IDD_INSTALL, {IDC_FOLDER, IDC_BROWSE, IDOK, IDCANCEL}, "ibac", {IDC_FOLDER, IDC_BROWSE, IDC_ALL_USERS, IDC_CURRENT_USER}},
    };
    for (const auto& c : cases) {
        HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(c.dialog), nullptr, nullptr, 0);   // no procedure: the templates alone
        ShowWindow(dialog, SW_SHOW);
        std::vector<int> tabs;
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        for (HWND at = first; at && (tabs.empty() || at != first); at = GetNextDlgTabItem(dialog, at, FALSE))
            tabs.push_back(GetDlgCtrlID(at));
        CHECK(tabs == c.tabs);
        HWND allUsers = GetDlgItem(dialog, IDC_ALL_USERS);
        CHECK((!allUsers || GetNextDlgGroupItem(dialog, allUsers, TRUE) == GetDlgItem(dialog, IDC_CURRENT_USER)));
        for (size_t k = 0; c.keys[k]; ++k) {   // Alt and the key, pressed on Cancel
            MSG press = {GetDlgItem(dialog, IDCANCEL), WM_SYSCHAR, WPARAM(c.keys[k]), 0x20000000, 0, {}};
            SetFocus(press.hwnd);
            IsDialogMessageA(dialog, &press);
            CHECK(GetDlgCtrlID(GetFocus()) == c.reached[k]);
        }
        DestroyWindow(dialog);
    }
}
