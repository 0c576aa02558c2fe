// What the resources give a user: each dialog's controls within reach of the keyboard,
// and every message whole, with its caption and icon.
#include <doctest/doctest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/message_box_catcher.h"

namespace {

std::vector<int> g_commands;

INT_PTR CALLBACK RecordingDlgProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        g_commands.push_back(LOWORD(wParam));
    return FALSE;
}

} // namespace

TEST_CASE("Tab walks each dialog's controls in order, and each mnemonic reaches its control")
{
    // keys: a mnemonic and the control it focuses or clicks.
    const struct { int dialog; std::vector<int> tabs; std::vector<std::pair<char, int>> keys; } cases[] = {
        {IDD_MAIN, {IDOK, IDCANCEL, IDC_OPTIONS}, {{'o', IDC_OPTIONS}}},
        {IDD_OPTIONS, {IDC_OPTION_LIST, IDOK, IDCANCEL}, {{'o', IDC_OPTION_LIST}}},
        {IDD_INSTALL, {IDC_FOLDER, IDC_BROWSE, IDOK, IDCANCEL},
         {{'i', IDC_FOLDER}, {'b', IDC_BROWSE}, {'a', IDC_ALL_USERS}, {'c', IDC_CURRENT_USER}}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.dialog);
        HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(c.dialog), nullptr, RecordingDlgProc, 0);
        ShowWindow(dialog, SW_SHOW);
        std::vector<int> tabs;
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        for (HWND at = first; at && (tabs.empty() || at != first); at = GetNextDlgTabItem(dialog, at, FALSE))
            tabs.push_back(GetDlgCtrlID(at));
        CHECK(tabs == c.tabs);
        for (const auto& key : c.keys) {
            g_commands.clear();
            HWND last = GetDlgItem(dialog, c.tabs.back());
            SetFocus(last);
            MSG press = {last, WM_SYSCHAR, static_cast<WPARAM>(key.first), 0x20000000, 0, {}};
            IsDialogMessageA(dialog, &press);
            CHECK((GetDlgCtrlID(GetFocus()) == key.second || g_commands == std::vector<int>{key.second}));
        }
        DestroyWindow(dialog);
    }
}

TEST_CASE("every message is shown whole, captioned Brindle, with the exclamation mark")
{
    MessageBoxCatcher catcher;
    for (UINT id = IDS_NO_ZONE_MANAGER; id <= IDS_REGISTER_FAILED; ++id) {
        ShowWarning(nullptr, id);
        const CaughtMessage& box = catcher.caught.back();
        CHECK((box.text == MessageText(id) && box.text.size() > 20 && box.caption == "Brindle" &&
               box.type == (MB_OK | MB_ICONEXCLAMATION)));
    }
}
