// What the resources give a user: every text whole, and each dialog's Tab order, mnemonics and scopes.
#include "support/common.h"

TEST_CASE("every message reads as written")
{
    const std::string messages[] = {
        "Error accessing Internet Zone Manager. (Is Internet Explorer installed?)",
        "Error getting zone attributes.",
        "Error setting zone attributes.",
        "Error getting zone policy.",
        "Error setting zone policy.",
        "Too many options have been selected. Please unselect another option if you want to select the current one.",
        "At least one option must be selected. Please select one or more options.",
        "Unable to copy file to destination folder. Installation was aborted.",
        "Insufficient memory to continue this operation. Unable to continue.",
        "Delete BRDL files and all program settings saved to registry?",
        "You must enter a folder where this program will be installed.",
        "BRDL cannot be removed from this folder.",
        "Unable to register the program. Installation was aborted.",
    };
    for (UINT id = IDS_NO_ZONE_MANAGER; id <= IDS_REGISTER_FAILED; ++id)
        CHECK(MessageText(id) == messages[id - IDS_NO_ZONE_MANAGER]);
}

TEST_CASE("each dialog's texts read as written; Tab walks its controls in order, a mnemonic reaches its own")
{
    const struct {
        int dialog;
        std::string texts;   // the caption, then the controls' texts in their order; the rows' come with the settings
        std::vector<int> tabs;
        const char* keys;   // the mnemonics, each reaching the control in the same place of reached
        std::vector<int> reached;
    } cases[] = {
        {IDD_MAIN, "Brindle: OK|Cancel|&Options...|https://www.talvane.example/|Copyright (C) 2026 Talvane. All "
                   "rights reserved.", {IDOK, IDCANCEL, IDC_OPTIONS}, "o", {IDC_OPTIONS}},
        {IDD_OPTIONS, "Options: &Options visible in main dialog (up to 10):||OK|Cancel",
         {IDC_OPTION_LIST, IDOK, IDCANCEL}, "o", {IDC_OPTION_LIST}},
        {IDD_INSTALL, "Install Brindle: &Install Brindle to:||&Browse...|Install for|&All users|&Current user|OK|"
                      "Cancel", {IDC_FOLDER, IDC_BROWSE, IDOK, IDCANCEL}, "ibac",
         {IDC_FOLDER, IDC_BROWSE, IDC_ALL_USERS, IDC_CURRENT_USER}},
    };
    for (const auto& c : cases) {
        // No procedure: the templates alone.
        HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(c.dialog), nullptr, nullptr, 0);
        char text[128];
        GetWindowTextA(dialog, text, sizeof text);
        std::string texts = std::string(text) + ":";
        const char* between = " ";
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            const int id = GetDlgCtrlID(control);
            if ((id >= IDC_FIRST_LABEL && id <= IDC_LAST_STATUS) || SendMessageA(control, STM_GETICON, 0, 0))
                continue;   // the rows, and the program icon
            GetWindowTextA(control, text, sizeof text);
            texts += std::exchange(between, "|") + std::string(text);
        }
        CHECK(texts == c.texts);
        ShowWindow(dialog, SW_SHOW);
        std::vector<int> tabs;
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        for (HWND at = first; at && (tabs.empty() || at != first); at = GetNextDlgTabItem(dialog, at, FALSE))
            tabs.push_back(GetDlgCtrlID(at));
        CHECK(tabs == c.tabs);
        if (HWND allUsers = GetDlgItem(dialog, IDC_ALL_USERS))   // the arrow keys reach the other scope
            CHECK(GetNextDlgGroupItem(dialog, allUsers, TRUE) == GetDlgItem(dialog, IDC_CURRENT_USER));
        for (size_t k = 0; c.keys[k]; ++k) {   // Alt and the key, pressed on Cancel
            MSG press = {GetDlgItem(dialog, IDCANCEL), WM_SYSCHAR, WPARAM(c.keys[k]), 0x20000000, 0, {}};
            SetFocus(press.hwnd);
            IsDialogMessageA(dialog, &press);
            CHECK(GetDlgCtrlID(GetFocus()) == c.reached[k]);
        }
        DestroyWindow(dialog);
    }
}
