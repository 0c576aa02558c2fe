// A zone manager registered in-process in place of the platform's: it records
// every call and fails the ones a test asks it to.
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
    bool setPolicyNotImplemented = false;
    std::set<DWORD> failGetPolicy;      // actions whose read fails
    std::set<DWORD> failSetPolicy;      // actions whose write fails
    std::map<DWORD, DWORD> policies;    // action -> policy, zone 3
    DWORD currentLevel = URLTEMPLATE_MEDIUM;
    std::vector<std::string> calls;     // "GetZoneActionPolicy 1400", ...
    int liveObjects = 0;
};

// Registers the fake for the life of the object; state is what it reads and records.
class FakeZoneManagerRegistration {
public:
    FakeZoneManagerRegistration();
    ~FakeZoneManagerRegistration();
    FakeZoneManagerRegistration(const FakeZoneManagerRegistration&) = delete;
    FakeZoneManagerRegistration& operator=(const FakeZoneManagerRegistration&) = delete;

    FakeZoneState state;

private:
    IClassFactory* factory_;
    DWORD cookie_ = 0;
};
