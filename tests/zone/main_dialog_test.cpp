// The real main dialog, created from its template and driven with messages: what the stored settings make of it,
// what the options dialog changes, and its row buttons' names and hover images.
#include "support/common.h"

#include <commctrl.h>

#include "setup/installer.h"
#include "zone/dialog_harness.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"
#include "zone/row_layout.h"

// The install dialog, closed as soon as it opens.
static void CALLBACK CancelInstall(HWND, UINT, UINT_PTR, DWORD)
{
    if (HWND dialog = FindWindowA(nullptr, "Install Brindle"))   // not yet made: no thread message either
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_CASE("whatever the stored settings hold, they decide the installer, the rows and the place; a close keeps them")
{
    const auto bytes = [](const auto& value, size_t size = sizeof value) {
        return std::string(reinterpret_cast<const char*>(&value), size);
    };
    const WINDOWPLACEMENT minimized = {sizeof minimized, 0, SW_SHOWMINIMIZED, {}, {}, {100, 100, 400, 300}};
    const WINDOWPLACEMENT nowhere = {sizeof nowhere, 0, SW_SHOWNORMAL, {}, {}, {-30000, -30000, -29700, -29800}};
    const WINDOWPLACEMENT normal = {sizeof normal, 0, SW_SHOWNORMAL, {}, {}, {200, 150, 300, 250}};
    const WINDOWPLACEMENT above = {sizeof above, 0, SW_SHOWNORMAL, {}, {}, {100, -150, 400, -50}};
    const struct {
        std::string name;
        const char* value = "Options";   // of the settings key, beside an InstFlag of 2; none: nothing stored
        DWORD type = REG_DWORD;
        std::string data = "";
        bool endSession = false;   // the session ends with the window open, instead of a close
        // Offered the installer, or a window: where, its rows; the Options a close stores.
        std::string outcome = "template; Active &scripting: Enable; Options 8";
    } rows[] = {
        {.name = "nothing stored", .value = nullptr},
        {.name = "Options showing no row", .data = bytes(DWORD{0})},
        {.name = "Options of five bytes", .type = REG_BINARY, .data = bytes(DWORD64{0x84}, 5)},
        {.name = "Options of two", .data = bytes(DWORD{0x84}),
         .outcome = "template; &Run ActiveX controls and plug-ins: Disable; Display &mixed content: Prompt; "
                    "Options 132"},
        {.name = "Options of the last alone", .data = bytes(DWORD{0x200}),
         .outcome = "template; &Navigate sub-frames across domains: Enable; Options 512"},
        {.name = "Options of all, the bits above dropped", .data = bytes(~DWORD{0}),
         .outcome = "template; " + std::string(EveryRow) + "; Options 1023"},
        {.name = "InstFlag 0", .value = "InstFlag", .data = bytes(DWORD{0})},
        {.name = "InstFlag of four bytes of another type", .value = "InstFlag", .type = REG_BINARY, .data = bytes(1)},
        {.name = "InstFlag of five bytes", .value = "InstFlag", .data = bytes(DWORD64{1}, 5), .outcome = "offered"},
        {.name = "a placement minimized", .value = "WinPos", .type = REG_BINARY, .data = bytes(minimized),
         .outcome = "at 100; Active &scripting: Enable; Options 8"},
        {.name = "a placement on no monitor", .value = "WinPos", .type = REG_BINARY, .data = bytes(nowhere)},
        {.name = "a placement whose caption the template's height, not the rows', brought onto a monitor",
         .value = "WinPos", .type = REG_BINARY, .data = bytes(above)},
        {.name = "a placement cut short", .value = "WinPos", .type = REG_BINARY, .data = bytes(normal, 43)},
        {.name = "nothing stored, the session ended", .value = nullptr, .endSession = true},
    };
    RECT usual = {};   // where the template puts the window, and how wide
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture;
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 2);
        if (c.value)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, c.value, c.type, c.data.data(), DWORD(c.data.size()));
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, CancelInstall);
        const bool installed = RunInstallerIfNeeded();
        KillTimer(nullptr, timer);
        if (!installed) {
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
        // OK, Cancel and Options, then the link, as far under the last label as the template has them under its
        // tenth (pixels, as the template's units map), the notice right under the link, the client area ending there.
        const auto rect = [&](int id) { RECT r; GetControlRect(GetDlgItem(dialog, id), &r); return r; };
        const auto down = [&](int units) { RECT r = {0, units, 0, 0}; MapDialogRect(dialog, &r); return r.top; };
        const int buttons = rect(IDC_FIRST_LABEL + shown - 1).top + down(170) - down(8 + 16 * 9);
        for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
            CHECK(rect(id).top == buttons);
        CHECK(rect(IDC_LINK).top == buttons + down(190) - down(170));
        CHECK(rect(IDC_NOTICE).top == rect(IDC_LINK).bottom);
        GetClientRect(dialog, &client);
        CHECK(client.bottom == rect(IDC_NOTICE).bottom);
        SetWindowPos(dialog, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (c.endSession)   // no WM_DESTROY comes before the process ends
            SendMessageA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        else
            CloseMainDialog(dialog);
        CHECK(seen + "; Options " + std::to_string(DwordValue(HKEY_CURRENT_USER, SettingsKey, "Options")) ==
              c.outcome);
        CHECK(DwordValue(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel") == URLTEMPLATE_MEDIUM);   // Cancel wrote nothing
        WINDOWPLACEMENT saved = {};   // where it was closed, for the next start
        const std::string placement = RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos");
        std::memcpy(&saved, placement.data(), std::min(placement.size(), sizeof saved));
        CHECK(std::to_string(placement.size()) + " bytes, at " + std::to_string(saved.rcNormalPosition.left) + ", " +
                  std::to_string(saved.rcNormalPosition.top) == "44 bytes, at 100, 120");
        DestroyWindow(c.endSession ? dialog : nullptr);
    }
}

namespace {

std::vector<WPARAM> g_script;   // keys for the focused control; IDOK and IDCANCEL for the dialog

// Checks what the list shows, then plays the script inside the modal loop.
void CALLBACK PlayScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "Options");
    if (!IsWindowVisible(dialog) || !KillTimer(nullptr, timer))
        return;
    HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    std::string texts;   // the labels, without their "&" and ":"
    for (int item = 0; item < SendMessageA(list, LB_GETCOUNT, 0, 0); ++item) {
        char text[64] = "";
        SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text));
        texts += (item ? "; " : "") + std::string(text);
    }
    CHECK(texts == "Download signed ActiveX controls; Download unsigned ActiveX controls; Run ActiveX controls and "
                   "plug-ins; Active scripting; Scripting of Java programs; Scripting of safe ActiveX controls; "
                   "Access data sources across domains; Display mixed content; Drag and drop or copy and paste "
                   "files; Navigate sub-frames across domains");
    for (WPARAM step : g_script)
        SendMessageA(step < VK_SPACE ? dialog : GetFocus(), step < VK_SPACE ? WM_COMMAND : WM_KEYDOWN, step, 0);
    if (IsWindowVisible(dialog))   // a refusal left it open: the user gives up
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

} // namespace

TEST_CASE("Options changes the rows on an accepted OK only")
{
    // Prompt chosen in the first row and not applied: an accepted OK reads the rows again from the zone.
    const struct {
        std::string name;
        DWORD shown;
        std::vector<WPARAM> script;   // keys for the focused item, or IDOK and IDCANCEL for the dialog
        std::string outcome;   // the rows, the messages and how the window's bottom edge moved
    } rows[] = {
        {.name = "Space checks the first", .shown = 0x208, .script = {VK_SPACE, IDOK},
         .outcome = "&Download signed ActiveX controls: Enable; Active &scripting: Enable; &Navigate sub-frames "
                    "across domains: Enable; quiet; down"},
        {.name = "none checked: refused, then Cancel", .shown = 0x008,
         .script = {VK_DOWN, VK_DOWN, VK_DOWN, VK_SPACE, IDOK, IDCANCEL},
         .outcome = "Active &scripting: Prompt; told 120; kept"},
        {.name = "the tenth, the most", .shown = 0x1FF, .script = {VK_END, VK_SPACE, IDOK},
         .outcome = std::string(EveryRow) + "; quiet; down"},
        {.name = "the last alone", .shown = 0x201, .script = {VK_SPACE, IDOK},
         .outcome = "&Navigate sub-frames across domains: Enable; quiet; up"},
    };
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture(c.shown);
        MadeHandles made;
        HWND dialog = CreateMainDialog();
        ShowWindow(dialog, SW_SHOWNA);   // as a user has it: rows now come and go one by one
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 1, BM_CLICK, 0, 0);
        RECT before, after;
        GetWindowRect(dialog, &before);
        g_script = c.script;
        SetTimer(nullptr, 0, 20, PlayScript);
        SendMessageA(dialog, WM_COMMAND, IDC_OPTIONS, 0);
        GetWindowRect(dialog, &after);
        const LONG grown = after.bottom - before.bottom;
        after.bottom = before.bottom;   // only the bottom edge moves
        const std::string told = fixture.messages.Shown();
        CHECK(ShownRows(dialog) + "; " + (told.empty() ? "quiet" : "told " + told) + "; " +
                  (!EqualRect(&after, &before) ? "moved" : grown > 0 ? "down" : grown < 0 ? "up" : "kept") ==
              c.outcome);
        CloseMainDialog(dialog);
        CHECK(made.live.empty());   // each item drawn, each paint, each round frees what it made
    }
}

TEST_CASE_FIXTURE(ZoneFixture, "every row button names its choice, and shows its colour image while hovered")
{
    HWND dialog = CreateMainDialog();   // row 0 reads Enable
    HWND tooltip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    REQUIRE(GetWindow(tooltip, GW_OWNER) == dialog);
    for (int i = 0; i < 30; ++i) {
        const std::string name[] = {"Enable", "Prompt", "Disable"};
        char tip[80] = "", text[80] = "";
        TOOLINFOA tool = {TTTOOLINFOA_V2_SIZE, 0, GetDlgItem(dialog, IDC_FIRST_BUTTON + i), 0, {}, nullptr, tip, 0,
                          nullptr};
        SendMessageA(tooltip, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool));
        GetWindowTextA(tool.hwnd, text, sizeof text);   // what a screen reader says
        CHECK(tip == name[i % 3]);
        CHECK(text == name[i % 3]);
    }
    // In, then out: Prompt (unchecked; pressed, the capture still the press's), Enable (checked: no change), the
    // last, a hidden row's. image: RowIcon index.
    const struct { int button, x, image; bool captured; WPARAM keys = 0; } steps[] = {{1, 5, 1, true},
        {1, 40, 1 + GreyIcons, true, MK_LBUTTON}, {1, 40, 1 + GreyIcons, false}, {0, 5, 0, false}, {0, 40, 0, false},
        {29, 5, 2, true}, {29, 40, 2 + GreyIcons, false}};
    for (const auto& step : steps) {
        HWND button = GetDlgItem(dialog, IDC_FIRST_BUTTON + step.button);
        SendMessageA(button, WM_MOUSEMOVE, step.keys, MAKELPARAM(step.x, 5));
        CHECK(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0) == reinterpret_cast<LRESULT>(RowIcon(step.image)));
        CHECK(GetCapture() == (step.captured ? button : nullptr));
    }
    CloseMainDialog(dialog);
}
