// The real main dialog, created from its template and driven with messages,
// against a recording zone manager.
#include <doctest/doctest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/dialog_harness.h"
#include "zone/fake_zone_manager.h"
#include "zone/option_catalogue.h"

namespace {

// The dialog itself is never shown: look at the controls' own style bit.
bool IsShown(HWND control)
{
    return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string Text(HWND dialog, int id)
{
    char text[64] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

struct Fixture {
    Fixture() { ResetShownSettings(); }
    RegistrySandbox sandbox;
    FakeZoneManagerRegistration zone;
    MessageBoxCatcher messages;
};

} // namespace

TEST_CASE("the stored Options decide the rows, their labels, the layout, the reads and what is saved")
{
    struct Case {
        const char* what;
        DWORD type, size, options;
        std::vector<int> entries;   // catalogue entries shown, top row first
        DWORD saved;
    };
    const Case cases[] = {
        {"nothing stored: the default row", REG_NONE, 0, 0, {3}, 8},
        {"zero: no row would show, the default one does", REG_DWORD, 4, 0, {3}, 8},
        {"five bytes: ignored", REG_BINARY, 5, 0x84, {3}, 8},
        {"entries 2 and 7", REG_DWORD, 4, 0x84, {2, 7}, 0x84},
        {"all bits: ten rows, the higher bits dropped", REG_DWORD, 4, 0xFFFFFFFF, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0x3FF},
    };
    for (const Case& c : cases) {
        INFO(c.what);
        Fixture fixture;
        if (c.size) {
            const DWORD data[2] = {c.options, 0};
            WriteValue(HKEY_CURRENT_USER, SettingsKey, "Options", c.type, data, c.size);
        }
        HWND dialog = CreateMainDialog();
        std::vector<std::string> reads = {"Create"};
        for (int row = 0; row < 10; ++row) {
            const bool shown = row < static_cast<int>(c.entries.size());
            HWND control = GetDlgItem(dialog, IDC_FIRST_LABEL + row);
            for (int sibling = 0; sibling < 5; ++sibling, control = GetWindow(control, GW_HWNDNEXT))
                CHECK(IsShown(control) == shown);
            if (shown) {
                CHECK(Text(dialog, IDC_FIRST_LABEL + row) == OptionCatalogue[c.entries[row]].label);
                char read[16];
                wsprintfA(read, "Get %lX", OptionCatalogue[c.entries[row]].urlAction);
                reads.push_back(read);
            }
        }
        reads.push_back("Release");
        CHECK(fixture.zone.state.calls == reads);

        // OK, Cancel and Options 18 units under the last label, the link 20 further,
        // the notice right under the link, and the client area ending with it.
        const int n = static_cast<int>(c.entries.size());
        for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
            CHECK(std::abs(ControlRect(dialog, id).top - UnitsDown(dialog, 16 * n + 10)) <= 1);
        CHECK(std::abs(ControlRect(dialog, IDC_LINK).top - UnitsDown(dialog, 16 * n + 30)) <= 1);
        CHECK(ControlRect(dialog, IDC_NOTICE).top == ControlRect(dialog, IDC_LINK).bottom);
        RECT client;
        GetClientRect(dialog, &client);
        CHECK(client.bottom == ControlRect(dialog, IDC_NOTICE).bottom);
        CHECK(std::abs(client.bottom - UnitsDown(dialog, 16 * n + 50)) <= 1);
        if (n == 10)
            CHECK(client.bottom == UnitsDown(dialog, 210));

        CloseMainDialog(dialog);
        DWORD saved = 0, type = 0;
        CHECK((ReadDword(HKEY_CURRENT_USER, SettingsKey, "Options", &saved) && saved == c.saved));
        CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", &type).size() == sizeof(WINDOWPLACEMENT));
        CHECK(type == REG_BINARY);
        CHECK(fixture.zone.state.calls.back() == "Release");   // Cancel wrote nothing
        CHECK(fixture.zone.state.currentLevel == URLTEMPLATE_MEDIUM);
    }
}

TEST_CASE_FIXTURE(Fixture, "each row's buttons work as one radio group and its images and padlock follow")
{
    struct Case {
        DWORD policy;
        const char* checks;
        int enable, prompt, disable, status;
    };
    const Case cases[] = {
        {URLPOLICY_ALLOW, "100", IDI_ENABLE, IDI_PROMPT_OFF, IDI_DISABLE_OFF, IDI_UNLOCKED},
        {URLPOLICY_QUERY, "010", IDI_ENABLE_OFF, IDI_PROMPT, IDI_DISABLE_OFF, 0},
        {URLPOLICY_DISALLOW, "001", IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE, IDI_LOCKED},
        {2, "000", IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE_OFF, 0},
        {0x10000, "000", IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE_OFF, 0},
    };
    ResetShownSettings(0x1F);
    for (int row = 0; row < 5; ++row)
        zone.state.policies[OptionCatalogue[row].urlAction] = cases[row].policy;
    HWND dialog = CreateMainDialog();
    for (int row = 0; row < 5; ++row) {
        CAPTURE(row);
        const int first = IDC_FIRST_BUTTON + 3 * row;
        CHECK(RowChecks(dialog, row) == cases[row].checks);
        CHECK(ButtonImage(dialog, first) == cases[row].enable);
        CHECK(ButtonImage(dialog, first + 1) == cases[row].prompt);
        CHECK(ButtonImage(dialog, first + 2) == cases[row].disable);
        CHECK(StatusImage(dialog, row) == cases[row].status);
        // Double-clicks reach the dialog only from buttons that notify.
        CHECK((GetWindowLongPtrA(GetDlgItem(dialog, first), GWL_STYLE) & BS_NOTIFY));
    }

    zone.state.calls.clear();
    SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 2, BM_CLICK, 0, 0);   // Disable in the Enable row
    CHECK(RowChecks(dialog, 0) == "001");
    CHECK(ButtonImage(dialog, IDC_FIRST_BUTTON) == IDI_ENABLE_OFF);
    CHECK(ButtonImage(dialog, IDC_FIRST_BUTTON + 2) == IDI_DISABLE);
    CHECK(StatusImage(dialog, 0) == IDI_LOCKED);
    CHECK(RowChecks(dialog, 1) == "010");   // the next row's group is its own
    CHECK(zone.state.calls.empty());
    CloseMainDialog(dialog);
}

TEST_CASE_FIXTURE(Fixture, "OK and a double-click write every shown, checked row and make the zone custom")
{
    ResetShownSettings((1 << 0) | (1 << 3) | (1 << 9));
    zone.state.policies = {{0x1001, 0}, {0x1400, 1}, {0x1607, 0x10000}};
    HWND dialog = CreateMainDialog();
    SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 3 + 2, BM_CLICK, 0, 0);
    zone.state.calls.clear();
    SUBCASE("OK: changed or not; the row with nothing checked is not written")
    {
        CloseMainDialog(dialog, IDOK);
    }
    SUBCASE("a double-click ends as OK once the click is handled")
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FIRST_BUTTON + 3 + 2, BN_DOUBLECLICKED), 0);
        CHECK(zone.state.calls.empty());
        PumpMessages();
        DestroyWindow(dialog);
    }
    CHECK(zone.state.calls ==
          std::vector<std::string>{"Create", "GetAttributes", "SetAttributes", "Set 1001", "Set 1400", "Release"});
    CHECK(zone.state.currentLevel == URLTEMPLATE_CUSTOM);
    CHECK(zone.state.policies[0x1400] == URLPOLICY_DISALLOW);
    CHECK(zone.state.policies[0x1607] == 0x10000);
    CHECK(messages.Count() == 0);
}

TEST_CASE_FIXTURE(Fixture, "the place is kept on every close; a stored place that would hide the window is not")
{
    HWND dialog = CreateMainDialog();
    RECT usual;
    GetWindowRect(dialog, &usual);
    for (int how : {IDOK, IDCANCEL}) {
        SetWindowPos(dialog, nullptr, 100 + how, 120 + how, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CloseMainDialog(dialog, how);
        dialog = CreateMainDialog();
        RECT now;
        GetWindowRect(dialog, &now);
        CHECK(now.left == 100 + how);
        CHECK(now.top == 120 + how);
    }
    CloseMainDialog(dialog);

    WINDOWPLACEMENT offScreen = {sizeof offScreen, 0, SW_SHOWNORMAL, {}, {}, {30000, 30000, 30005, 30005}};
    WINDOWPLACEMENT minimized = {sizeof minimized, 0, SW_SHOWMINIMIZED, {}, {}, {10, 10, 12, 12}};
    const std::string garbage(44, '\xA5');
    const std::string cases[] = {std::string(reinterpret_cast<const char*>(&offScreen), sizeof offScreen),
                                 std::string(reinterpret_cast<const char*>(&minimized), sizeof minimized), garbage,
                                 garbage.substr(0, 20), garbage + garbage};
    for (const std::string& data : cases) {
        WriteValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", REG_BINARY, data.data(), DWORD(data.size()));
        dialog = CreateMainDialog();
        RECT rect;
        GetWindowRect(dialog, &rect);
        CHECK(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL));
        CHECK_FALSE(IsIconic(dialog));
        CHECK(rect.right - rect.left == usual.right - usual.left);
        CHECK(rect.bottom - rect.top == usual.bottom - usual.top);
        CloseMainDialog(dialog);
    }
}
