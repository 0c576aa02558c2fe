// The options dialog as the main dialog opens it: what it lists, what its answers do.
#include "support/common.h"

#include "zone/dialog_harness.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"

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
        ZoneFixture fixture;
        MadeHandles made;
        ResetShownSettings(c.shown);
        HWND dialog = CreateMainDialog();
        ShowWindow(dialog, SW_SHOWNA);   // as a user has it: rows now come and go one by one
        CheckRadioButton(dialog, IDC_FIRST_BUTTON, IDC_FIRST_BUTTON + 2, IDC_FIRST_BUTTON + 1);
        UpdateRowImages(dialog, IDC_FIRST_BUTTON);
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
