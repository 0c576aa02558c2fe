// Records and answers the message boxes the code under test asks for, without showing them.
#pragma once
#include <string>
#include <vector>

#include "support/import_patch.h"

struct CaughtMessage {
    std::string text, caption;
    HWND owner;
    UINT type;
};

struct MessageBoxCatcher {
    explicit MessageBoxCatcher(int pressed = IDOK);   // the button pressed on every box
    std::string Shown() const;       // the ids of the messages shown, in order: "" or "123 125"

    std::vector<CaughtMessage> caught;
    int answer;
    ImportPatch messageBox;
};

std::string MessageText(UINT id);
