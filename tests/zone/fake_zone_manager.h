// A zone manager registered in-process in place of the platform's: it records
// the calls the product makes and fails the ones a test names.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeZoneState {
    std::set<std::string> fail;        // calls that fail: "Create", "GetAttributes", "Set 1400", ...
    std::map<DWORD, DWORD> policies;   // zone 3, action -> policy; Prompt when missing
    DWORD currentLevel = URLTEMPLATE_MEDIUM;
    std::vector<std::string> calls;    // as named above, and "Release"
};

// Registered for the life of the object; state is what the fake reads and records.
struct FakeZoneManagerRegistration {
    FakeZoneManagerRegistration();
    ~FakeZoneManagerRegistration();
    FakeZoneState state;
    DWORD cookie = 0;
};
