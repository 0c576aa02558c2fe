// Reading and writing zone 3 against a recording fake and against the platform's manager.
#include <doctest/doctest.h>

#include <urlmon.h>

#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/dialog_harness.h"
#include "zone/fake_zone_manager.h"
#include "zone/zone_policy.h"

namespace {

constexpr DWORD ActiveScripting = 0x1400;
constexpr DWORD JavaScripting = 0x1402;
constexpr char InternetZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

struct Fixture {
    Fixture()
    {
        ResetShownSettings((1 << 3) | (1 << 4));   // 0x1400 and 0x1402
        zone.state.policies = {{ActiveScripting, 0}, {JavaScripting, 3}};
        dialog = CreateMainDialog();
        zone.state.calls.clear();
    }
    ~Fixture() { CloseMainDialog(dialog); }

    RegistrySandbox sandbox;
    FakeZoneManagerRegistration zone;
    MessageBoxCatcher messages;
    HWND dialog;
};

bool Written(const FakeZoneState& state, const char* prefix)
{
    for (const std::string& call : state.calls)
        if (call.rfind(prefix, 0) == 0)
            return true;
    return false;
}

} // namespace

TEST_CASE_FIXTURE(Fixture, "no zone manager: message 114, rows and zone untouched")
{
    zone.state.failCreate = true;
    SendDlgItemMessageA(dialog, 1012, BM_CLICK, 0, 0);
    CHECK(LoadZonePolicies(dialog) == 0);
    CHECK(RowChecks(dialog, 0) == "010");
    CHECK(ApplyZonePolicies(dialog) == 0);
    REQUIRE(messages.Count() == 2);
    CHECK(messages.CountOf(IDS_NO_ZONE_MANAGER) == 2);
    CHECK(messages.Caught()[0].text == "Error accessing Internet Zone Manager. (Is Internet Explorer installed?)");
    CHECK(messages.Caught()[0].caption == "Brindle");
    CHECK(messages.Caught()[0].owner == dialog);
    CHECK(zone.state.calls == std::vector<std::string>{"Create", "Create"});
}

TEST_CASE_FIXTURE(Fixture, "an attribute failure writes no policy")
{
    SUBCASE("read")
    {
        zone.state.failGetAttributes = true;
        CHECK(ApplyZonePolicies(dialog) == 0);
        CHECK(messages.CountOf(IDS_GET_ATTRIBUTES) == 1);
        CHECK(messages.Caught()[0].text == "Error getting zone attributes.");
        CHECK_FALSE(Written(zone.state, "SetZoneAttributes"));
    }
    SUBCASE("write")
    {
        zone.state.failSetAttributes = true;
        CHECK(ApplyZonePolicies(dialog) == 0);
        CHECK(messages.CountOf(IDS_SET_ATTRIBUTES) == 1);
        CHECK(messages.Caught()[0].text == "Error setting zone attributes.");
    }
    CHECK(messages.Count() == 1);
    CHECK_FALSE(Written(zone.state, "SetZoneActionPolicy"));
    CHECK(zone.state.calls.back() == "Release");
    CHECK(zone.state.liveObjects == 0);
}

TEST_CASE_FIXTURE(Fixture, "a policy read failure is told once per entry; the others are still read")
{
    zone.state.failGetPolicy = {ActiveScripting};
    SendDlgItemMessageA(dialog, 1012, BM_CLICK, 0, 0);
    CHECK(LoadZonePolicies(dialog) == 1);
    CHECK(messages.Count() == 1);
    CHECK(messages.Caught()[0].text == "Error getting zone policy.");
    CHECK(RowChecks(dialog, 0) == "010");   // kept as it was
    CHECK(RowChecks(dialog, 1) == "001");
    CHECK(ButtonImage(dialog, 1012) == IDI_PROMPT);
    CHECK(zone.state.calls == std::vector<std::string>{"Create", "GetZoneActionPolicy 3 1400",
                                                       "GetZoneActionPolicy 3 1402", "Release"});
}

TEST_CASE_FIXTURE(Fixture, "policy write failures are told once each; the other entries are still written")
{
    SUBCASE("both entries fail")
    {
        zone.state.failSetPolicy = {ActiveScripting, JavaScripting};
        CHECK(ApplyZonePolicies(dialog) == 1);
        CHECK(messages.CountOf(IDS_SET_POLICY) == 2);
        CHECK(messages.Caught()[0].text == "Error setting zone policy.");
    }
    SUBCASE("the first fails, the second is written")
    {
        zone.state.failSetPolicy = {ActiveScripting};
        SendDlgItemMessageA(dialog, 1011 + 3, BM_CLICK, 0, 0);
        CHECK(ApplyZonePolicies(dialog) == 1);
        CHECK(messages.Count() == 1);
        CHECK(zone.state.policies[JavaScripting] == 0);
    }
    CHECK(zone.state.currentLevel == URLTEMPLATE_CUSTOM);
    CHECK(zone.state.liveObjects == 0);
}

TEST_CASE_FIXTURE(Fixture, "a manager that cannot write single policies: stored in the user's zone key")
{
    zone.state.setPolicyNotImplemented = true;
    SUBCASE("the zone key exists")
    {
        WriteDword(HKEY_CURRENT_USER, InternetZoneKey, "CurrentLevel", 0x11500);
        CHECK(ApplyZonePolicies(dialog) == 1);
        CHECK(messages.Count() == 0);
        DWORD policy = 7;
        CHECK(ReadDword(HKEY_CURRENT_USER, InternetZoneKey, "1400", &policy));
        CHECK(policy == 0);
        CHECK(ReadDword(HKEY_CURRENT_USER, InternetZoneKey, "1402", &policy));
        CHECK(policy == 3);
    }
    SUBCASE("no zone key: a failed write, told per entry")
    {
        CHECK(ApplyZonePolicies(dialog) == 1);
        CHECK(messages.CountOf(IDS_SET_POLICY) == 2);
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, InternetZoneKey));
    }
}

TEST_CASE("the platform's zone manager reads back what was applied, at the custom level")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher messages;
    ResetShownSettings(1 << 3);
    WriteDword(HKEY_CURRENT_USER, InternetZoneKey, "CurrentLevel", URLTEMPLATE_MEDIUM);
    WriteDword(HKEY_CURRENT_USER, InternetZoneKey, "1400", 0);

    HWND dialog = CreateMainDialog();
    CHECK(RowChecks(dialog, 0) == "100");
    SendDlgItemMessageA(dialog, 1013, BM_CLICK, 0, 0);
    CloseMainDialog(dialog, IDOK);
    CHECK(messages.Count() == 0);

    IInternetZoneManager* manager = nullptr;
    REQUIRE(SUCCEEDED(CoCreateInstance(CLSID_InternetZoneManager, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IInternetZoneManager, reinterpret_cast<void**>(&manager))));
    DWORD policy = 0;
    CHECK(SUCCEEDED(manager->GetZoneActionPolicy(3, ActiveScripting, reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                                 URLZONEREG_HKCU)));
    CHECK(policy == URLPOLICY_DISALLOW);
    ZONEATTRIBUTES attributes = {};
    attributes.cbSize = sizeof attributes;
    CHECK(SUCCEEDED(manager->GetZoneAttributes(3, &attributes)));
    CHECK(attributes.dwTemplateCurrentLevel == URLTEMPLATE_CUSTOM);
    manager->Release();

    // And the next dialog shows it.
    dialog = CreateMainDialog();
    CHECK(RowChecks(dialog, 0) == "001");
    CloseMainDialog(dialog);
}
