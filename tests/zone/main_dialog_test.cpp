// The real main dialog, created from its template and driven with messages.
#include "support/common.h"

#include "setup/installer.h"
#include "zone/dialog_harness.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"
#include "zone/row_layout.h"

TEST_CASE("the stored settings decide the rows and the place, and a close keeps them")
{
    // Each setting's zone policy is its own: Enable, Prompt, Disable, Enable... by its place in the list.
    const std::string all = "&Download signed ActiveX controls: Enable; Download &unsigned ActiveX controls: Prompt; "
                            "&Run ActiveX controls and plug-ins: Disable; Active &scripting: Enable; Scripting of "
                            "&Java programs: Prompt; Scripting of safe Active&X controls: Disable; Acc&ess data "
                            "sources across domains: Enable; Display &mixed content: Prompt; Drag and drop or copy "
                            "and paste &files: Disable; &Navigate sub-frames across domains: Enable";
    const struct {
        std::string name;
        DWORD type = REG_DWORD, size = 4, options = 0;   // "Options" as stored; no size: none
        DWORD placement = 0;   // the bytes of a stored "WinPos" at 200, 150; 0: none
        std::string opens = "template";   // where the window opens: the template's place, or the stored one
        std::string rows;
        DWORD saved;   // "Options" after a close
    } rows[] = {
        {.name = "nothing stored: the default row", .size = 0, .rows = "Active &scripting: Enable", .saved = 8},
        {.name = "no row would show: the default does", .rows = "Active &scripting: Enable", .saved = 8},
        {.name = "a value of five bytes", .type = REG_BINARY, .size = 5, .options = 0x84,
         .rows = "Active &scripting: Enable", .saved = 8},
        {.name = "two", .options = 0x84, .placement = 44, .opens = "stored",
         .rows = "&Run ActiveX controls and plug-ins: Disable; Display &mixed content: Prompt", .saved = 0x84},
        {.name = "a placement cut short", .options = 0x84, .placement = 43,
         .rows = "&Run ActiveX controls and plug-ins: Disable; Display &mixed content: Prompt", .saved = 0x84},
        {.name = "the last alone", .options = 0x200, .rows = "&Navigate sub-frames across domains: Enable",
         .saved = 0x200},
        {.name = "all, the bits above dropped", .options = 0xFFFFFFFF, .rows = all, .saved = 0x3FF},
    };
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture;
        for (int i = 0; i < OptionCount; ++i)
            SetPolicy(OptionCatalogue[i].urlAction, PolicyChoices[i % 3].policy);
        const DWORD data[2] = {c.options};
        if (c.size)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, "Options", c.type, data, c.size);
        RECT centred;   // where the template puts it
        HWND dialog = CreateMainDialog();
        GetWindowRect(dialog, &centred);
        WINDOWPLACEMENT placement = {sizeof placement, 0, SW_SHOWNORMAL, {}, {}, {200, 150, 300, 250}};
        if (c.placement) {
            DestroyWindow(dialog);
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, "WinPos", REG_BINARY, &placement, c.placement);
            dialog = CreateMainDialog();
        }
        RECT window, client, place;
        GetWindowRect(dialog, &window);
        CHECK(ShownRows(dialog) == c.rows);
        const int shown = __builtin_popcount(c.saved);
        for (int row = shown; row < RowCount; ++row)   // never shown: the closed padlock it was placed with
            CHECK(SendDlgItemMessageA(dialog, IDC_FIRST_STATUS + row, STM_GETIMAGE, IMAGE_ICON, 0) ==
                  reinterpret_cast<LRESULT>(RowIcon(LockedIcon)));
        CHECK((window.left == 200 ? "stored" : window.left == centred.left ? "template" : "elsewhere") == c.opens);
        // OK, Cancel and Options 18 units under the last label, the link 20 further, the notice right under it,
        // and the client area ending with the notice.
        const auto rect = [&](int id) { GetControlRect(GetDlgItem(dialog, id), &place); return place; };
        const auto top = [&](int id) { return rect(id).top; };
        const auto unitsDown = [&](int units) { RECT r = {0, units, 0, 0}; MapDialogRect(dialog, &r); return r.top; };
        for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
            CHECK(std::abs(top(id) - unitsDown(16 * shown + 10)) <= 1);
        CHECK(std::abs(top(IDC_LINK) - unitsDown(16 * shown + 30)) <= 1);
        CHECK(top(IDC_NOTICE) == rect(IDC_LINK).bottom);
        GetClientRect(dialog, &client);
        CHECK(client.bottom == rect(IDC_NOTICE).bottom);
        CHECK(std::abs(client.bottom - unitsDown(16 * shown + 50)) <= 1);
        SetWindowPos(dialog, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CloseMainDialog(dialog);
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "Options") == c.saved);
        CHECK(DwordValue(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel") == URLTEMPLATE_MEDIUM);   // Cancel wrote nothing
        dialog = CreateMainDialog();   // where it was closed
        GetWindowRect(dialog, &window);
        CHECK(window.left == 100);
        CHECK(window.top == 120);
        CloseMainDialog(dialog);
    }
}

TEST_CASE("stored values of the wrong size or type, or that point nowhere, still give a usable window")
{
    const WINDOWPLACEMENT minimized = {sizeof minimized, 0, SW_SHOWMINIMIZED, {}, {}, {100, 100, 400, 300}};
    const WINDOWPLACEMENT nowhere = {sizeof nowhere, 0, SW_SHOWNORMAL, {}, {}, {-30000, -30000, -29700, -29800}};
    const struct {
        std::string name;
        const char* value;   // of the settings key
        DWORD type;
        std::string data;
        std::string outcome;   // offered the installer, or a window: where, and its rows; what a close stores
    } rows[] = {
        {.name = "InstFlag 0", .value = "InstFlag", .type = REG_DWORD, .data = std::string(4, '\0'),
         .outcome = "template; Active &scripting: Prompt; Options 8"},
        {.name = "InstFlag of four bytes of another type", .value = "InstFlag", .type = REG_BINARY,
         .data = "\1\0\0\0", .outcome = "template; Active &scripting: Prompt; Options 8"},
        {.name = "InstFlag of five bytes", .value = "InstFlag", .type = REG_DWORD, .data = std::string(5, '\1'),
         .outcome = "offered"},
        {.name = "Options as a text", .value = "Options", .type = REG_SZ, .data = std::string("\x84\0\0\0", 4),
         .outcome = "template; &Run ActiveX controls and plug-ins: Prompt; Display &mixed content: Prompt; "
                    "Options 132"},
        {.name = "Options of eight bytes", .value = "Options", .type = REG_QWORD, .data = std::string(8, '\x84'),
         .outcome = "template; Active &scripting: Prompt; Options 8"},
        {.name = "a placement minimized", .value = "WinPos", .type = REG_BINARY,
         .data = std::string(reinterpret_cast<const char*>(&minimized), sizeof minimized),
         .outcome = "at 100; Active &scripting: Prompt; Options 8"},
        {.name = "a placement on no monitor", .value = "WinPos", .type = REG_BINARY,
         .data = std::string(reinterpret_cast<const char*>(&nowhere), sizeof nowhere),
         .outcome = "template; Active &scripting: Prompt; Options 8"},
        {.name = "a placement of another type", .value = "WinPos", .type = REG_SZ, .data = std::string(44, 'x'),
         .outcome = "template; Active &scripting: Prompt; Options 8"},
    };
    RECT usual = {};   // where the template puts the window, and how wide
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture;
        fixture.messages.dialogs[IDD_INSTALL] = IDCANCEL;
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 2);
        RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, c.value, c.type, c.data.data(), DWORD(c.data.size()));
        if (!RunInstallerIfNeeded()) {
            CHECK("offered" == c.outcome);
            continue;
        }
        HWND dialog = CreateMainDialog();
        RECT window;
        GetWindowRect(dialog, &window);
        usual = usual.right ? usual : window;
        CHECK(window.right - window.left == usual.right - usual.left);   // the template's width, stored or not
        CHECK_FALSE(IsIconic(dialog));
        const std::string seen = (window.left == usual.left ? "template" : "at " + std::to_string(window.left)) +
                                 "; " + ShownRows(dialog);
        CloseMainDialog(dialog);
        CHECK(seen + "; Options " + std::to_string(DwordValue(HKEY_CURRENT_USER, SettingsKey, "Options")) ==
              c.outcome);
        CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos").size() == sizeof(WINDOWPLACEMENT));
    }
}
