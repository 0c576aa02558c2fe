// The real main dialog, created from its template and driven with messages.
#include "support/common.h"

#include "setup/installer.h"
#include "zone/dialog_harness.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"
#include "zone/row_layout.h"

TEST_CASE("whatever the stored settings hold, they decide the installer, the rows and the place; a close keeps them")
{
    const auto bytes = [](const auto& value, size_t size = sizeof value) {
        return std::string(reinterpret_cast<const char*>(&value), size);
    };
    const WINDOWPLACEMENT minimized = {sizeof minimized, 0, SW_SHOWMINIMIZED, {}, {}, {100, 100, 400, 300}};
    const WINDOWPLACEMENT nowhere = {sizeof nowhere, 0, SW_SHOWNORMAL, {}, {}, {-30000, -30000, -29700, -29800}};
    const WINDOWPLACEMENT normal = {sizeof normal, 0, SW_SHOWNORMAL, {}, {}, {200, 150, 300, 250}};
    const std::string def = "Active &scripting: Enable; Options 8";   // the default row, and what a close stores
    const struct {
        std::string name;
        const char* value = "Options";   // of the settings key, beside an InstFlag of 2; none: nothing stored
        DWORD type = REG_DWORD;
        std::string data;
        std::string outcome;   // offered the installer, or a window: where, its rows; the Options a close stores
    } rows[] = {
        {.name = "nothing stored", .value = nullptr, .outcome = "template; " + def},
        {.name = "Options showing no row", .data = bytes(DWORD{0}), .outcome = "template; " + def},
        {.name = "Options of five bytes", .type = REG_BINARY, .data = bytes(DWORD64{0x84}, 5),
         .outcome = "template; " + def},
        {.name = "Options of two", .data = bytes(DWORD{0x84}),
         .outcome = "template; &Run ActiveX controls and plug-ins: Disable; Display &mixed content: Prompt; "
                    "Options 132"},
        {.name = "Options of the last alone", .data = bytes(DWORD{0x200}),
         .outcome = "template; &Navigate sub-frames across domains: Enable; Options 512"},
        {.name = "Options of all, the bits above dropped", .data = bytes(~DWORD{0}),
         .outcome = "template; " + std::string(EveryRow) + "; Options 1023"},
        {.name = "InstFlag 0", .value = "InstFlag", .data = bytes(DWORD{0}), .outcome = "template; " + def},
        {.name = "InstFlag of four bytes of another type", .value = "InstFlag", .type = REG_BINARY,
         .data = bytes(DWORD{1}), .outcome = "template; " + def},
        {.name = "InstFlag of five bytes", .value = "InstFlag", .data = bytes(DWORD64{1}, 5), .outcome = "offered"},
        {.name = "a placement minimized", .value = "WinPos", .type = REG_BINARY, .data = bytes(minimized),
         .outcome = "at 100; " + def},
        {.name = "a placement on no monitor", .value = "WinPos", .type = REG_BINARY, .data = bytes(nowhere),
         .outcome = "template; " + def},
        {.name = "a placement cut short", .value = "WinPos", .type = REG_BINARY, .data = bytes(normal, 43),
         .outcome = "template; " + def},
    };
    RECT usual = {};   // where the template puts the window, and how wide
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture;
        fixture.messages.dialogs[IDD_INSTALL] = IDCANCEL;
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 2);
        if (c.value)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, c.value, c.type, c.data.data(), DWORD(c.data.size()));
        if (!RunInstallerIfNeeded()) {
            CHECK("offered" == c.outcome);
            continue;
        }
        HWND dialog = CreateMainDialog();
        RECT window, client;
        GetWindowRect(dialog, &window);
        usual = usual.right ? usual : window;
        CHECK(window.right - window.left == usual.right - usual.left);   // the template's width, stored or not
        const std::string seen = (IsIconic(dialog) ? "minimized" : window.left == usual.left ? "template" : "at " +
                                  std::to_string(window.left)) + "; " + ShownRows(dialog);
        int shown = 0;
        while (shown < RowCount && Showing(GetDlgItem(dialog, IDC_FIRST_LABEL + shown)))
            ++shown;
        for (int row = shown; row < RowCount; ++row)   // never shown: the closed padlock it was placed with
            CHECK(SendDlgItemMessageA(dialog, IDC_FIRST_STATUS + row, STM_GETIMAGE, IMAGE_ICON, 0) ==
                  reinterpret_cast<LRESULT>(RowIcon(LockedIcon)));
        // OK, Cancel and Options 18 units under the last label, the link 20 further, the notice right under it,
        // and the client area ending with the notice.
        const auto rect = [&](int id) { RECT r; GetControlRect(GetDlgItem(dialog, id), &r); return r; };
        const auto unitsDown = [&](int units) { RECT r = {0, units, 0, 0}; MapDialogRect(dialog, &r); return r.top; };
        for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
            CHECK(std::abs(rect(id).top - unitsDown(16 * shown + 10)) <= 1);
        CHECK(std::abs(rect(IDC_LINK).top - unitsDown(16 * shown + 30)) <= 1);
        CHECK(rect(IDC_NOTICE).top == rect(IDC_LINK).bottom);
        GetClientRect(dialog, &client);
        CHECK(client.bottom == rect(IDC_NOTICE).bottom);
        CHECK(std::abs(client.bottom - unitsDown(16 * shown + 50)) <= 1);
        SetWindowPos(dialog, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CloseMainDialog(dialog);
        CHECK(seen + "; Options " + std::to_string(DwordValue(HKEY_CURRENT_USER, SettingsKey, "Options")) ==
              c.outcome);
        CHECK(DwordValue(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel") == URLTEMPLATE_MEDIUM);   // Cancel wrote nothing
        dialog = CreateMainDialog();   // where it was closed
        GetWindowRect(dialog, &window);
        CHECK(std::to_string(window.left) + ", " + std::to_string(window.top) == "100, 120");
        CloseMainDialog(dialog);
    }
}
