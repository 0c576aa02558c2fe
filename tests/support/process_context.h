// How the program under test was started, answered through its imports while this lives: the path it runs from
// (cut as the platform cuts it) and its token: full and elevated, or limited (the machine's keys denied, not
// elevated). Each consent prompt takes the next answer: Declined, NotStarted, Run (the copy's part runs in this
// process, elevated, as another account might), or the exit code of a copy that ran nothing.
#pragma once
#include <string>
#include <vector>

#include "support/import_patch.h"

enum Consent { Declined = -1, NotStarted = -2, Run = -3 };
constexpr int Crashed = static_cast<int>(0xC0000005);   // the exit code of a copy that crashed

struct ProcessContext {
    explicit ProcessContext(std::wstring exe, std::vector<int> consent = {}, bool limited = false);
    std::wstring exe;
    std::vector<int> answers;
    bool limited, elevated = false;   // elevated: while the copy's part runs
    std::string started;              // "verb file install into folder|" or "verb file remove|" for each copy
    bool copyUsedUserKeys = false;    // the copy's part opened HKEY_CURRENT_USER: another account's, maybe
    const char* refusedKey = nullptr;   // a key that cannot be created
    const char* keptKey = nullptr;      // a key that cannot be deleted
    ImportPatch exePath, probe, shell, token, create;
};
