// The real main dialog, created from its template and driven with messages.
#include <doctest/doctest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/dialog_harness.h"
#include "zone/fake_zone_manager.h"

namespace {

constexpr DWORD ActiveScripting = 0x1400;

INT_PTR CALLBACK BareDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string ClassOf(HWND window)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The dialog itself is never shown here, so look at the controls' own style bit.
bool IsShown(HWND control)
{
    return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CheckNear(int actual, int expected)
{
    CHECK_MESSAGE(std::abs(actual - expected) <= 1, "actual ", actual, ", expected ", expected);
}

struct Fixture {
    Fixture() { ResetShownSettings(); }
    RegistrySandbox sandbox;
    FakeZoneManagerRegistration zone;
    MessageBoxCatcher messages;
};

} // namespace

TEST_CASE("template 101 holds the rows, buttons, link, notice and icon in order")
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, BareDlgProc, 0);
    REQUIRE(dialog);
    char title[32];
    GetWindowTextA(dialog, title, sizeof title);
    CHECK(std::string(title) == "Brindle");
    // The dialog manager adds styles of its own; read the template's.
    HRSRC resource = FindResourceA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), MAKEINTRESOURCEA(5));
    REQUIRE(resource);
    const BYTE* templ = static_cast<const BYTE*>(LockResource(LoadResource(g_instance, resource)));
    DWORD style, exStyle;
    memcpy(&exStyle, templ + 8, sizeof exStyle);
    memcpy(&style, templ + 12, sizeof style);
    CHECK(*reinterpret_cast<const WORD*>(templ + 2) == 0xFFFF);   // an extended template
    CHECK(style == 0x80C808C0);
    CHECK(exStyle == 0);
    CHECK(ClientHeight(dialog) == DialogUnitsToPixelsY(dialog, 210));
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    CHECK(std::string(font.lfFaceName) == "MS Sans Serif");

    struct Expected {
        int id;
        const char* className;
        DWORD style;
        int x, y, width, height;
    };
    std::vector<Expected> expected;
    for (int r = 0; r < 10; ++r) {
        expected.push_back({1001 + r, "Static", 0x50000000, 40, 8 + 16 * r, 145, 10});
        expected.push_back({1011 + 3 * r, "Button", 0x50025049, 185, 5 + 16 * r, 15, 15});
        expected.push_back({1012 + 3 * r, "Button", 0x50005049, 201, 5 + 16 * r, 15, 15});
        expected.push_back({1013 + 3 * r, "Button", 0x50005049, 217, 5 + 16 * r, 15, 15});
        expected.push_back({1041 + r, "Static", 0x50020003, 235, 5 + 16 * r, 20, 20});
    }
    expected.push_back({IDOK, "Button", 0x50010001, 49, 170, 50, 15});
    expected.push_back({IDCANCEL, "Button", 0x50010000, 104, 170, 50, 15});
    expected.push_back({1051, "Button", 0x50010000, 159, 170, 50, 15});
    expected.push_back({1058, "Static", 0x50020101, 36, 190, 185, 10});
    expected.push_back({1052, "Static", 0x50020001, 36, 200, 185, 10});
    expected.push_back({-1, "Static", 0x50000003, 7, 16, 20, 20});

    HWND control = GetWindow(dialog, GW_CHILD);
    for (const Expected& want : expected) {
        CAPTURE(want.id);
        REQUIRE(control);
        CHECK(GetDlgCtrlID(control) == want.id);
        CHECK(ClassOf(control) == want.className);
        CHECK(static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE)) == want.style);
        // The dialog manager adds WS_EX_NOPARENTNOTIFY to template controls itself.
        CHECK((GetWindowLongPtrA(control, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY) == 0);
        // Icon statics take their image's size; compare their top-left corner only.
        const RECT place = DialogUnitsToPixels(dialog, want.x, want.y, want.width, want.height);
        const RECT actual = ControlPixels(dialog, want.id);
        CHECK(actual.left == place.left);
        CHECK(actual.top == place.top);
        if ((want.style & SS_TYPEMASK) != SS_ICON || ClassOf(control) != "Static") {
            CHECK(actual.right == place.right);
            CHECK(actual.bottom == place.bottom);
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
    CHECK(control == nullptr);
    DestroyWindow(dialog);
}

TEST_CASE_FIXTURE(Fixture, "first run shows one row, shrinks to it and saves Options 8 and WinPos")
{
    HWND dialog = CreateMainDialog();
    REQUIRE(dialog);
    char label[64];
    GetDlgItemTextA(dialog, IDC_FIRST_LABEL, label, sizeof label);
    CHECK(std::string(label) == "Active &scripting:");
    for (int row = 0; row < 10; ++row) {
        CAPTURE(row);
        for (int i = 0; i < 5; ++i) {
            HWND control = GetDlgItem(dialog, IDC_FIRST_LABEL + row);
            for (int step = 0; step < i; ++step)
                control = GetWindow(control, GW_HWNDNEXT);
            CHECK(IsShown(control) == (row == 0));
        }
    }
    // OK, Cancel and Options 18 units under the row's label, link at 46, notice at 56, client 66.
    for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
        CheckNear(ControlPixels(dialog, id).top, DialogUnitsToPixelsY(dialog, 26));
    CheckNear(ControlPixels(dialog, IDC_LINK).top, DialogUnitsToPixelsY(dialog, 46));
    CheckNear(ControlPixels(dialog, IDC_NOTICE).top, DialogUnitsToPixelsY(dialog, 56));
    CHECK(ControlPixels(dialog, IDC_NOTICE).top == ControlPixels(dialog, IDC_LINK).bottom);
    CHECK(ClientHeight(dialog) == ControlPixels(dialog, IDC_NOTICE).bottom);
    CheckNear(ClientHeight(dialog), DialogUnitsToPixelsY(dialog, 66));
    // Horizontal places and the dialog's width are the template's.
    CHECK(ControlPixels(dialog, IDOK).left == DialogUnitsToPixels(dialog, 49, 0, 0, 0).left);
    RECT client;
    GetClientRect(dialog, &client);
    CHECK(client.right == DialogUnitsToPixels(dialog, 0, 0, 257, 0).right);
    CHECK(zone.state.calls == std::vector<std::string>{"Create", "GetZoneActionPolicy 3 1400", "Release"});
    CHECK(messages.Count() == 0);

    CloseMainDialog(dialog);
    DWORD options = 0;
    CHECK(ReadDword(HKEY_CURRENT_USER, SettingsKey, "Options", &options));
    CHECK(options == 8);
    DWORD type = 0;
    const std::string placement = RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", &type);
    CHECK(type == REG_BINARY);
    CHECK(placement.size() == 44);
    CHECK(zone.state.calls.back() == "Release");   // Cancel wrote nothing
    CHECK(zone.state.currentLevel == URLTEMPLATE_MEDIUM);
}

TEST_CASE_FIXTURE(Fixture, "every shown setting gets its row in catalogue order")
{
    SUBCASE("all ten: the template's own places and height")
    {
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", 0x3FF);
        HWND dialog = CreateMainDialog();
        for (int row = 0; row < 10; ++row)
            CHECK(IsShown(GetDlgItem(dialog, IDC_FIRST_LABEL + row)));
        char label[64];
        GetDlgItemTextA(dialog, IDC_LAST_LABEL, label, sizeof label);
        CHECK(std::string(label) == "&Navigate sub-frames across domains:");
        CHECK(ControlPixels(dialog, IDOK).top == DialogUnitsToPixelsY(dialog, 170));
        CHECK(ControlPixels(dialog, IDC_LINK).top == DialogUnitsToPixelsY(dialog, 190));
        CHECK(ControlPixels(dialog, IDC_NOTICE).top == DialogUnitsToPixelsY(dialog, 200));
        CHECK(ClientHeight(dialog) == DialogUnitsToPixelsY(dialog, 210));
        CHECK(zone.state.calls.size() == 12);   // create, ten reads, release
        CloseMainDialog(dialog);
    }
    SUBCASE("entries 2 and 7: two rows, the rest hidden and never read")
    {
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", (1 << 2) | (1 << 7));
        HWND dialog = CreateMainDialog();
        char label[64];
        GetDlgItemTextA(dialog, IDC_FIRST_LABEL, label, sizeof label);
        CHECK(std::string(label) == "&Run ActiveX controls and plug-ins:");
        GetDlgItemTextA(dialog, IDC_FIRST_LABEL + 1, label, sizeof label);
        CHECK(std::string(label) == "Display &mixed content:");
        CHECK_FALSE(IsShown(GetDlgItem(dialog, IDC_FIRST_LABEL + 2)));
        CHECK(zone.state.calls ==
              std::vector<std::string>{"Create", "GetZoneActionPolicy 3 1200", "GetZoneActionPolicy 3 1609", "Release"});
        CheckNear(ClientHeight(dialog), DialogUnitsToPixelsY(dialog, 82));
        CloseMainDialog(dialog, IDOK);
        // Hidden entries are not written either.
        REQUIRE(zone.state.calls.size() == 10);
        CHECK(zone.state.calls[7] == "SetZoneActionPolicy 3 1200");
        CHECK(zone.state.calls[8] == "SetZoneActionPolicy 3 1609");
    }
}

TEST_CASE_FIXTURE(Fixture, "a row's images and padlock follow its policy and its clicks")
{
    struct Case {
        DWORD policy;
        const char* checks;
        int enable, prompt, disable, status;
    };
    const Case cases[] = {
        {0, "100", IDI_ENABLE, IDI_PROMPT_OFF, IDI_DISABLE_OFF, IDI_UNLOCKED},
        {1, "010", IDI_ENABLE_OFF, IDI_PROMPT, IDI_DISABLE_OFF, 0},
        {3, "001", IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE, IDI_LOCKED},
        {0x10000, "000", IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE_OFF, 0},
        {2, "000", IDI_ENABLE_OFF, IDI_PROMPT_OFF, IDI_DISABLE_OFF, 0},
    };
    SUBCASE("as read from the zone")
    {
        for (const Case& expected : cases) {
            CAPTURE(expected.policy);
            zone.state.policies[ActiveScripting] = expected.policy;
            HWND dialog = CreateMainDialog();
            CHECK(RowChecks(dialog, 0) == expected.checks);
            CHECK(ButtonImage(dialog, 1011) == expected.enable);
            CHECK(ButtonImage(dialog, 1012) == expected.prompt);
            CHECK(ButtonImage(dialog, 1013) == expected.disable);
            CHECK(StatusImage(dialog, 0) == expected.status);
            CloseMainDialog(dialog);
        }
    }

    SUBCASE("clicking Disable in a row set to Enable changes the row, not the zone")
    {
        zone.state.policies[ActiveScripting] = 0;
        HWND dialog = CreateMainDialog();
        zone.state.calls.clear();
        SendDlgItemMessageA(dialog, 1013, BM_CLICK, 0, 0);
        CHECK(RowChecks(dialog, 0) == "001");
        CHECK(ButtonImage(dialog, 1011) == IDI_ENABLE_OFF);
        CHECK(ButtonImage(dialog, 1013) == IDI_DISABLE);
        CHECK(StatusImage(dialog, 0) == IDI_LOCKED);
        SendDlgItemMessageA(dialog, 1012, BM_CLICK, 0, 0);
        CHECK(RowChecks(dialog, 0) == "010");
        CHECK(StatusImage(dialog, 0) == 0);
        CHECK(zone.state.calls.empty());
        CHECK(zone.state.policies[ActiveScripting] == 0);
        CloseMainDialog(dialog);
    }
    SUBCASE("a click in one row leaves the other rows alone")
    {
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", 0x3FF);
        HWND dialog = CreateMainDialog();
        SendDlgItemMessageA(dialog, 1011 + 3 * 4, BM_CLICK, 0, 0);
        CHECK(RowChecks(dialog, 4) == "100");
        CHECK(StatusImage(dialog, 4) == IDI_UNLOCKED);
        for (int row : {3, 5})
            CHECK(RowChecks(dialog, row) == "010");
        CloseMainDialog(dialog);
    }
}

TEST_CASE_FIXTURE(Fixture, "OK and a double-click write every shown row and make the zone custom")
{
    WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", (1 << 0) | (1 << 3) | (1 << 9));
    zone.state.policies = {{0x1001, 0}, {ActiveScripting, 1}, {0x1607, 0x10000}};

    SUBCASE("OK: changed or not, checked rows are written; an unchecked row is not")
    {
        HWND dialog = CreateMainDialog();
        SendDlgItemMessageA(dialog, 1011 + 3 * 1 + 2, BM_CLICK, 0, 0);
        zone.state.calls.clear();
        CloseMainDialog(dialog, IDOK);
        CHECK(zone.state.calls == std::vector<std::string>{"Create", "GetZoneAttributes 3", "SetZoneAttributes 3",
                                                           "SetZoneActionPolicy 3 1001",
                                                           "SetZoneActionPolicy 3 1400", "Release"});
        CHECK(zone.state.currentLevel == URLTEMPLATE_CUSTOM);
        CHECK(zone.state.policies[0x1001] == 0);
        CHECK(zone.state.policies[ActiveScripting] == 3);
        CHECK(zone.state.policies[0x1607] == 0x10000);
    }
    SUBCASE("double-click on an unchecked button checks it, then ends as OK")
    {
        HWND dialog = CreateMainDialog();
        zone.state.calls.clear();
        ShowWindow(dialog, SW_SHOWNA);
        HWND button = GetDlgItem(dialog, 1011 + 3 * 1);
        SendMessageA(button, BM_CLICK, 0, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1011 + 3 * 1, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(button));
        CHECK(zone.state.calls.empty());   // the OK is posted, not run inside the click
        PumpMessages();
        CHECK(zone.state.policies[ActiveScripting] == 0);
        CHECK(zone.state.currentLevel == URLTEMPLATE_CUSTOM);
        CHECK_FALSE(IsWindowVisible(dialog));   // ended
        DestroyWindow(dialog);
    }
    CHECK(messages.Count() == 0);
}

TEST_CASE_FIXTURE(Fixture, "the placement is saved on every close and restored at the next creation")
{
    for (int how : {IDOK, IDCANCEL}) {
        CAPTURE(how);
        HWND dialog = CreateMainDialog();
        SetWindowPos(dialog, nullptr, 100 + how, 120 + how, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT before;
        GetWindowRect(dialog, &before);
        CloseMainDialog(dialog, how);

        dialog = CreateMainDialog();
        RECT after;
        GetWindowRect(dialog, &after);
        CHECK(after.left == before.left);
        CHECK(after.top == before.top);
        CHECK(after.right - after.left == before.right - before.left);
        CHECK(after.bottom - after.top == before.bottom - before.top);
        CloseMainDialog(dialog);
    }
}

TEST_CASE_FIXTURE(Fixture, "bad stored settings still give a usable window")
{
    HWND reference = CreateMainDialog();
    RECT usual;
    GetWindowRect(reference, &usual);
    CloseMainDialog(reference);
    RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey);

    auto shownRows = [](HWND dialog) {
        int rows = 0;
        for (int row = 0; row < 10; ++row)
            rows += IsShown(GetDlgItem(dialog, IDC_FIRST_LABEL + row));
        return rows;
    };
    auto onScreen = [](HWND dialog) {
        RECT rect;
        GetWindowRect(dialog, &rect);
        return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
    };

    SUBCASE("Options")
    {
        struct Case {
            const char* what;
            DWORD type;
            std::string data;
            int rows;
        };
        const DWORD none = 0, all = 0xFFFFFFFF, wide = 0x3FF;
        const Case cases[] = {
            {"zero: nothing would show, the default row does", REG_DWORD, std::string(reinterpret_cast<const char*>(&none), 4), 1},
            {"all bits: the ten rows, higher bits ignored", REG_DWORD, std::string(reinterpret_cast<const char*>(&all), 4), 10},
            {"too long", REG_BINARY, std::string(reinterpret_cast<const char*>(&wide), 4) + "xx", 1},
            {"too short", REG_BINARY, std::string("\x03", 1), 1},
            {"a string", REG_SZ, std::string("abc", 4), 1},   // bytes 'a','b','c',0: bits 0, 5, 6, 8, 9...
        };
        for (const Case& c : cases) {
            CAPTURE(c.what);
            ResetShownSettings();
            WriteValue(HKEY_CURRENT_USER, SettingsKey, "Options", c.type, c.data.data(), DWORD(c.data.size()));
            HWND dialog = CreateMainDialog();
            const int rows = shownRows(dialog);
            CHECK(rows >= 1);
            if (c.type != REG_SZ)
                CHECK(rows == c.rows);
            CloseMainDialog(dialog);
            DWORD saved = 0;
            CHECK(ReadDword(HKEY_CURRENT_USER, SettingsKey, "Options", &saved));
            CHECK((saved & ~0x3FFu) == 0);
            CHECK(saved != 0);
        }
    }
    SUBCASE("WinPos")
    {
        WINDOWPLACEMENT offScreen = {};
        offScreen.length = sizeof offScreen;
        offScreen.showCmd = SW_HIDE;
        offScreen.rcNormalPosition = {30000, 30000, 30005, 30005};
        WINDOWPLACEMENT minimized = {};
        minimized.length = sizeof minimized;
        minimized.showCmd = SW_SHOWMINIMIZED;
        minimized.rcNormalPosition = {10, 10, 12, 12};
        std::string garbage(44, '\xA5');
        const std::string cases[] = {
            std::string(reinterpret_cast<const char*>(&offScreen), sizeof offScreen),
            std::string(reinterpret_cast<const char*>(&minimized), sizeof minimized),
            garbage,
            garbage.substr(0, 20),
            garbage + garbage,
        };
        for (const std::string& data : cases) {
            CAPTURE(data.size());
            WriteValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", REG_BINARY, data.data(), DWORD(data.size()));
            HWND dialog = CreateMainDialog();
            CHECK(onScreen(dialog));
            CHECK_FALSE(IsIconic(dialog));
            RECT rect;
            GetWindowRect(dialog, &rect);
            CHECK(rect.right - rect.left == usual.right - usual.left);
            CHECK(rect.bottom - rect.top == usual.bottom - usual.top);
            CloseMainDialog(dialog);
        }
    }
}
