// The real main dialog, created from its template and driven with messages,
// against a recording zone manager.
#include <doctest/doctest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "zone/dialog_harness.h"
#include "zone/option_catalogue.h"

TEST_CASE("the stored Options decide the rows, their labels, the layout, the reads and what is saved")
{
    const struct {
        DWORD type, size, options;
        std::vector<int> entries;   // catalogue entries shown, top row first
        DWORD saved;
    } cases[] = {
        {REG_NONE, 0, 0, {3}, 8},   // nothing stored: the default row
        {REG_DWORD, 4, 0, {3}, 8},   // no row would show: the default one does
        {REG_BINARY, 5, 0x84, {3}, 8},
        {REG_DWORD, 4, 0x84, {2, 7}, 0x84},
        {REG_DWORD, 4, 0xFFFFFFFF, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0x3FF},   // higher bits dropped
    };
    for (const auto& c : cases) {
        CAPTURE(c.options);
        ZoneFixture fixture;
        const DWORD data[2] = {c.options};
        if (c.size)
            WriteValue(HKEY_CURRENT_USER, SettingsKey, "Options", c.type, data, c.size);
        HWND dialog = CreateMainDialog();
        std::vector<std::string> reads = {"Create"};
        const int shown = static_cast<int>(c.entries.size());
        for (int row = 0; row < 10; ++row) {
            // A row is its label and the four siblings after it.
            HWND control = GetDlgItem(dialog, IDC_FIRST_LABEL + row);
            for (int sibling = 0; sibling < 5; ++sibling, control = GetWindow(control, GW_HWNDNEXT))
                CHECK(((GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0) == (row < shown));
            if (row < shown) {
                const ZoneOption& option = OptionCatalogue[c.entries[row]];
                char label[64], read[16];
                GetDlgItemTextA(dialog, IDC_FIRST_LABEL + row, label, sizeof label);
                CHECK(std::string(label) == option.label);
                wsprintfA(read, "Get %lX", option.urlAction);
                reads.push_back(read);
            }
        }
        reads.push_back("Release");
        CHECK(fixture.zone.state.calls == reads);
        // OK, Cancel and Options 18 units under the last label, the link 20 further,
        // the notice right under it, and the client area ending with the notice.
        for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
            CHECK(std::abs(ControlRect(dialog, id).top - UnitsDown(dialog, 16 * shown + 10)) <= 1);
        CHECK(std::abs(ControlRect(dialog, IDC_LINK).top - UnitsDown(dialog, 16 * shown + 30)) <= 1);
        CHECK(ControlRect(dialog, IDC_NOTICE).top == ControlRect(dialog, IDC_LINK).bottom);
        RECT client;
        GetClientRect(dialog, &client);
        CHECK(client.bottom == ControlRect(dialog, IDC_NOTICE).bottom);
        CHECK((shown < 10 || client.bottom == UnitsDown(dialog, 210)));
        CloseMainDialog(dialog);
        DWORD saved = 0, type = 0;
        CHECK((ReadDword(HKEY_CURRENT_USER, SettingsKey, "Options", &saved) && saved == c.saved));
        CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", &type).size() == sizeof(WINDOWPLACEMENT));
        CHECK(type == REG_BINARY);
        CHECK(fixture.zone.state.currentLevel == URLTEMPLATE_MEDIUM);   // Cancel wrote nothing
    }
}

TEST_CASE_FIXTURE(ZoneFixture, "rows show their choice; a click changes one row only; OK or a double-click writes the "
                           "checked rows and makes the zone custom")
{
    // Images: the row icon table's index for Enable, Prompt, Disable and the padlock.
    const struct {
        DWORD policy;
        const char* checks;
        int images[4];
    } rows[] = {{URLPOLICY_ALLOW, "100", {0, 4, 5, 7}}, {URLPOLICY_QUERY, "010", {3, 1, 5, -1}},
                {URLPOLICY_DISALLOW, "001", {3, 4, 2, 6}}, {2, "000", {3, 4, 5, -1}}};
    ResetShownSettings(0xF);
    for (int row = 0; row < 4; ++row)
        zone.state.policies[OptionCatalogue[row].urlAction] = rows[row].policy;
    HWND dialog = CreateMainDialog();
    SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 2, BM_CLICK, 0, 0);   // Disable in the Enable row
    for (int row = 0; row < 4; ++row) {
        CAPTURE(row);
        const auto& expected = rows[row ? row : 2];
        CHECK(RowChecks(dialog, row) == expected.checks);
        for (int c = 0; c < 4; ++c)
            CHECK(ImageOf(dialog, c < 3 ? IDC_FIRST_BUTTON + 3 * row + c : IDC_FIRST_STATUS + row) == expected.images[c]);
        // Only buttons that notify report double-clicks.
        CHECK((GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_BUTTON + 3 * row), GWL_STYLE) & BS_NOTIFY));
    }
    zone.state.calls.clear();
    SUBCASE("OK")
    {
        CloseMainDialog(dialog, IDOK);
    }
    SUBCASE("a double-click, as OK once the click is handled")
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FIRST_BUTTON + 2, BN_DOUBLECLICKED), 0);
        CHECK(zone.state.calls.empty());
        PumpMessages();
        DestroyWindow(dialog);
    }
    // Changed or not; the row with nothing checked is not written.
    CHECK(zone.state.calls == std::vector<std::string>{"Create", "GetAttributes", "SetAttributes", "Set 1001",
                                                       "Set 1004", "Set 1200", "Release"});
    CHECK(zone.state.currentLevel == URLTEMPLATE_CUSTOM);
    CHECK(zone.state.policies[0x1001] == URLPOLICY_DISALLOW);
}

TEST_CASE_FIXTURE(ZoneFixture, "the place is kept on every close, OK or Cancel")
{
    HWND dialog = CreateMainDialog();
    for (int how : {IDOK, IDCANCEL}) {
        SetWindowPos(dialog, nullptr, 100 + how, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CloseMainDialog(dialog, how);
        dialog = CreateMainDialog();
        RECT now;
        GetWindowRect(dialog, &now);
        CHECK((now.left == 100 + how && now.top == 120));
    }
    CloseMainDialog(dialog);
}

TEST_CASE("bad stored values and odd zone policies still give a usable window, a clean close and sound settings")
{
    const unsigned seed = GetTickCount();
    INFO("seed ", seed);   // a failure names it: set it here to replay the run
    std::mt19937 random(seed);
    const DWORD types[] = {REG_NONE, REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD};
    RECT usual;
    HWND reference = (ResetShownSettings(), CreateMainDialog());
    GetWindowRect(reference, &usual);
    DestroyWindow(reference);
    for (int i = 0; i < 200; ++i) {
        ZoneFixture fixture;
        fixture.messages.dialogs[IDD_INSTALL] = IDCANCEL;
        for (const char* name : {"Options", "WinPos", "InstFlag"}) {
            std::string data(random() % 60, '\0');
            for (char& b : data)
                b = static_cast<char>(random() % 4 ? random() : 0);
            if (random() % 4)
                WriteValue(HKEY_CURRENT_USER, SettingsKey, name, types[random() % 6], data.data(), DWORD(data.size()));
        }
        if (!RunInstallerIfNeeded()) {
            CHECK(fixture.messages.caught.size() == 1);   // the install dialog, cancelled
            continue;
        }
        for (const ZoneOption& option : OptionCatalogue)
            fixture.zone.state.policies[option.urlAction] = random() % 2 ? random() : random() % 4;
        const auto before = fixture.zone.state.policies;
        HWND dialog = CreateMainDialog();
        RECT window, client;
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        CHECK(MonitorFromRect(&window, MONITOR_DEFAULTTONULL));
        CHECK_FALSE(IsIconic(dialog));
        CHECK(window.right - window.left == usual.right - usual.left);
        CHECK(client.bottom == ControlRect(dialog, IDC_NOTICE).bottom);
        CHECK((GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_LABEL), GWL_STYLE) & WS_VISIBLE));
        CloseMainDialog(dialog, random() % 2 ? IDOK : IDCANCEL);
        CHECK_FALSE(IsWindow(dialog));
        DWORD options = 0, type = 0;
        CHECK((ReadDword(HKEY_CURRENT_USER, SettingsKey, "Options", &options) && options && options <= 0x3FF));
        CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", &type).size() == sizeof(WINDOWPLACEMENT));
        for (const auto& policy : fixture.zone.state.policies)
            CHECK((policy.second == before.at(policy.first) || policy.second < 2 || policy.second == 3));
        CHECK(fixture.messages.caught.empty());
    }
}
