// A zone manager registered in-process in place of the platform's: it records
// the calls the product makes and fails the ones a test asks it to.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeZoneState {
    bool failCreate = false;
    bool failGetAttributes = false;
    bool failSetAttributes = false;
    std::set<DWORD> failGetPolicy;     // actions whose read fails
    std::set<DWORD> failSetPolicy;     // actions whose write fails
    std::map<DWORD, DWORD> policies;   // zone 3, action -> policy; Prompt when missing
    DWORD currentLevel = URLTEMPLATE_MEDIUM;
    std::vector<std::string> calls;    // "Create", "Get 1400", "Set 1400", "GetAttributes", ... "Release"
};

// Registered for the life of the object; state is what the fake reads and records.
struct FakeZoneManagerRegistration {
    FakeZoneManagerRegistration();
    ~FakeZoneManagerRegistration();
    FakeZoneState state;
    DWORD cookie = 0;
};
