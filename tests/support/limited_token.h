// What the platform answers a program it started itself, or one of a limited token,
// through the test program's imports while these live.
#pragma once
#include <string>
#include <vector>

#include "support/import_patch.h"

// The path the program is told it runs from, cut as the platform cuts it.
struct ReportedExe {
    explicit ReportedExe(std::wstring path);
    std::wstring path;
    ImportPatch patch;
};

// The machine's keys denied to this process, and the consent prompt answered in turn
// by answers: Declined, NotStarted, Run (the copy's part runs in this process; its
// result is the exit code) or an exit code of a copy that ran nothing.
struct LimitedToken {
    enum { Declined = -1, NotStarted = -2, Run = -3 };
    explicit LimitedToken(std::vector<int> answers);
    std::vector<int> answers;
    std::string started;   // "verb file parameters|" for each copy started
    bool elevated = false;   // while the copy's part runs
    ImportPatch probe, shell;
};
