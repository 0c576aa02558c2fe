// Records and answers the message boxes the code under test asks for, and the
// modal dialogs named in `dialogs`, without showing them.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "support/import_patch.h"

struct CaughtMessage {
    std::string text, caption;   // text: empty for a dialog
    HWND owner;
    UINT type;
};

struct MessageBoxCatcher {
    explicit MessageBoxCatcher(int pressed = IDOK);   // the button pressed on every box
    std::string Shown() const;       // the ids of the messages shown, in order: "" or "123 125"

    std::vector<CaughtMessage> caught;
    std::map<int, INT_PTR> dialogs;   // template id -> the dialog's result
    int answer;
    ImportPatch messageBox, dialogBox;
};

std::string MessageText(UINT id);
