// Failures of the zone manager, and the round trip through Wine's own.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "zone/dialog_harness.h"
#include "zone/zone_policy.h"

TEST_CASE("each zone manager failure is told with its own message, and what it stops stays undone")
{
    struct Case {
        std::set<std::string> fail;
        int loaded, applied;
        std::vector<UINT> messages;   // the load's, then the apply's
        const char* firstRow;         // after the load; it was clicked to Prompt before
        const char* writes;
    };
    const Case cases[] = {
        {{"Create"}, 0, 0, {114, 114}, "010", ""},
        {{"GetAttributes"}, 1, 0, {115}, "100", ""},
        {{"SetAttributes"}, 1, 0, {116}, "100", ""},
        {{"Get 1400"}, 1, 1, {117}, "010", "Set 1400 Set 1402 "},   // the other row is still read
        {{"Set 1400", "Set 1402"}, 1, 1, {118, 118}, "100", "Set 1400 Set 1402 "},
    };
    for (const Case& c : cases) {
        INFO(*c.fail.begin());
        ZoneFixture fixture;
        FakeZoneState& zone = fixture.zone.state;
        const MessageBoxCatcher& messages = fixture.messages;
        ResetShownSettings((1 << 3) | (1 << 4));
        zone.policies = {{0x1400, URLPOLICY_ALLOW}, {0x1402, URLPOLICY_DISALLOW}};
        HWND dialog = CreateMainDialog();
        zone.fail = c.fail;
        zone.calls.clear();
        SendDlgItemMessageA(dialog, 1012, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dialog, 1014, BM_CLICK, 0, 0);
        CHECK(LoadZonePolicies(dialog) == c.loaded);
        CHECK(RowChecks(dialog, 0) == c.firstRow);
        CHECK(RowChecks(dialog, 1) == (c.loaded ? "001" : "100"));
        CHECK(ApplyZonePolicies(dialog) == c.applied);
        std::string writes;
        for (const std::string& call : zone.calls)
            writes += call.rfind("Set ", 0) == 0 ? call + " " : "";
        CHECK(writes == c.writes);
        // Load and apply each release the manager they got.
        CHECK(std::count(zone.calls.begin(), zone.calls.end(), "Release") == (c.loaded ? 2 : 0));
        REQUIRE(messages.caught.size() == c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i) {
            CHECK(messages.caught[i].text == MessageText(c.messages[i]));
            CHECK(messages.caught[i].caption == "Brindle");
            CHECK(messages.caught[i].type == (MB_OK | MB_ICONEXCLAMATION));
            CHECK(messages.caught[i].owner == dialog);
        }
        CloseMainDialog(dialog);
    }
}

TEST_CASE("Wine's zone manager: a policy it cannot write goes to the user's zone key, and is read back")
{
    constexpr char ZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
    RegistrySandbox sandbox;
    MessageBoxCatcher messages;
    ResetShownSettings(1 << 3);
    WriteDword(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel", URLTEMPLATE_MEDIUM);
    WriteDword(HKEY_CURRENT_USER, ZoneKey, "1400", URLPOLICY_ALLOW);
    HWND dialog = CreateMainDialog();
    CHECK(RowChecks(dialog, 0) == "100");
    SendDlgItemMessageA(dialog, 1013, BM_CLICK, 0, 0);
    CloseMainDialog(dialog, IDOK);
    DWORD policy = 0, level = 0;
    CHECK((ReadDword(HKEY_CURRENT_USER, ZoneKey, "1400", &policy) && policy == URLPOLICY_DISALLOW));
    CHECK((ReadDword(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel", &level) && level == URLTEMPLATE_CUSTOM));
    dialog = CreateMainDialog();
    CHECK(RowChecks(dialog, 0) == "001");
    CloseMainDialog(dialog);
    CHECK(messages.caught.size() == 0);
}
