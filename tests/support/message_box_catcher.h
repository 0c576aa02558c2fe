// Answers, through a CBT hook (no seam in the product), the message boxes that the
// code under test shows on this thread, and the dialogs named in `dialogs`.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

struct CaughtMessage {
    std::string text;   // empty for a dialog
    std::string caption;
    HWND owner;
};

struct MessageBoxCatcher {
    explicit MessageBoxCatcher(int pressed = IDOK);   // the button pressed on every box
    ~MessageBoxCatcher();
    size_t CountOf(UINT id) const;   // boxes with message id's text

    std::vector<CaughtMessage> caught;
    std::map<std::string, int> dialogs;   // title -> command that ends it
    int answer;
    HHOOK hook;
};

std::string MessageText(UINT id);
