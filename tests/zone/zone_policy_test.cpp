// Failures of the zone manager, and the round trip through Wine's own.
#include <doctest/doctest.h>

#include <urlmon.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/dialog_harness.h"
#include "zone/fake_zone_manager.h"
#include "zone/zone_policy.h"

namespace {

constexpr char InternetZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

} // namespace

TEST_CASE("each zone manager failure is told with its own message, and what it stops stays undone")
{
    struct Case {
        const char* what;
        std::function<void(FakeZoneState&)> fail;
        int loaded, applied;                 // the two results
        std::vector<UINT> messages;          // load's, then apply's
        const char* firstRow;                // after the load; it was clicked to Prompt before
        const char* writes;                  // the writes tried, in order
    };
    const Case cases[] = {
        {"no manager", [](FakeZoneState& s) { s.failCreate = true; }, 0, 0, {114, 114}, "010", ""},
        {"attributes not read", [](FakeZoneState& s) { s.failGetAttributes = true; }, 1, 0, {115}, "100", ""},
        {"attributes not written", [](FakeZoneState& s) { s.failSetAttributes = true; }, 1, 0, {116}, "100", ""},
        {"one policy not read: the other still is", [](FakeZoneState& s) { s.failGetPolicy = {0x1400}; }, 1, 1, {117},
         "010", "Set 1400 Set 1402 "},
        {"both policies not written: told twice", [](FakeZoneState& s) { s.failSetPolicy = {0x1400, 0x1402}; }, 1, 1,
         {118, 118}, "100", "Set 1400 Set 1402 "},
    };
    for (const Case& c : cases) {
        INFO(c.what);
        RegistrySandbox sandbox;
        FakeZoneManagerRegistration zone;
        MessageBoxCatcher messages;
        ResetShownSettings((1 << 3) | (1 << 4));
        zone.state.policies = {{0x1400, URLPOLICY_ALLOW}, {0x1402, URLPOLICY_DISALLOW}};
        HWND dialog = CreateMainDialog();
        c.fail(zone.state);
        zone.state.calls.clear();
        SendDlgItemMessageA(dialog, 1012, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dialog, 1014, BM_CLICK, 0, 0);
        CHECK(LoadZonePolicies(dialog) == c.loaded);
        CHECK(RowChecks(dialog, 0) == c.firstRow);
        CHECK(RowChecks(dialog, 1) == (c.loaded ? "001" : "100"));
        CHECK(ApplyZonePolicies(dialog) == c.applied);
        std::string writes;
        for (const std::string& call : zone.state.calls)
            writes += call.rfind("Set ", 0) == 0 ? call + " " : "";
        CHECK(writes == c.writes);
        REQUIRE(messages.Count() == c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i) {
            CHECK(messages.Caught()[i].text == MessageText(c.messages[i]));
            CHECK(messages.Caught()[i].caption == "Brindle");
            CHECK(messages.Caught()[i].owner == dialog);
        }
        // Load and apply each release the manager they got.
        CHECK(std::count(zone.state.calls.begin(), zone.state.calls.end(), "Release") == (c.loaded ? 2 : 0));
        CloseMainDialog(dialog);
    }
}

TEST_CASE("Wine's zone manager: a policy it cannot write goes to the user's zone key, and is read back")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher messages;
    ResetShownSettings(1 << 3);
    WriteDword(HKEY_CURRENT_USER, InternetZoneKey, "CurrentLevel", URLTEMPLATE_MEDIUM);
    WriteDword(HKEY_CURRENT_USER, InternetZoneKey, "1400", URLPOLICY_ALLOW);
    HWND dialog = CreateMainDialog();
    CHECK(RowChecks(dialog, 0) == "100");
    SendDlgItemMessageA(dialog, 1013, BM_CLICK, 0, 0);
    CloseMainDialog(dialog, IDOK);
    DWORD value = 0;
    CHECK((ReadDword(HKEY_CURRENT_USER, InternetZoneKey, "1400", &value) && value == URLPOLICY_DISALLOW));
    CHECK((ReadDword(HKEY_CURRENT_USER, InternetZoneKey, "CurrentLevel", &value) && value == URLTEMPLATE_CUSTOM));
    dialog = CreateMainDialog();
    CHECK(RowChecks(dialog, 0) == "001");
    CloseMainDialog(dialog);
    CHECK(messages.Count() == 0);
}
