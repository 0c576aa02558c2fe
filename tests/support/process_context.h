// How the program under test was started, answered through the test program's
// imports while this lives: the path it runs from (cut as the platform cuts it), and
// its token. With no answers the token is a full one; with answers, the machine's
// keys are denied and the consent prompt is answered by them in turn: Declined,
// NotStarted, Run (the copy's part runs in this process, its result the exit code),
// or the exit code of a copy that ran nothing.
#pragma once
#include <string>
#include <vector>

#include "support/import_patch.h"

struct ProcessContext {
    enum { Declined = -1, NotStarted = -2, Run = -3 };
    explicit ProcessContext(std::wstring exe, std::vector<int> consent = {});
    std::wstring exe;
    std::vector<int> answers;
    bool limited;
    bool elevated = false;   // while the copy's part runs
    std::string started;     // "verb file parameters|" for each copy started
    ImportPatch exePath, probe, shell;
};
