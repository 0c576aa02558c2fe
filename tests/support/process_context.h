// How the program under test was started, answered through its imports while this lives: the path it
// runs from (cut as the platform cuts it) and its token, a full one without answers. With answers the
// machine's keys are denied and each consent prompt takes the next: Declined, NotStarted, Run (the copy's
// part runs in this process, its result the exit code), or the exit code of a copy that ran nothing.
#pragma once
#include <string>
#include <vector>

#include "support/import_patch.h"

enum Consent { Declined = -1, NotStarted = -2, Run = -3 };

struct ProcessContext {
    explicit ProcessContext(std::wstring exe, std::vector<int> consent = {});
    std::wstring exe;
    std::vector<int> answers;
    bool limited, elevated = false;   // elevated: while the copy's part runs
    std::string started;              // "verb file parameters|" for each copy started
    ImportPatch exePath, probe, shell;
};
