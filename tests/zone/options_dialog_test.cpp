// The options dialog as the main dialog opens it: what it lists, what its answers do.
#include "support/common.h"

#include "zone/dialog_harness.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"

namespace {

std::set<UINT> g_squares;   // the states of the check squares drawn
BOOL WINAPI DrawSquare(HDC dc, LPRECT box, UINT type, UINT state)
{
    return g_squares.insert(state), PLATFORM("user32", DrawFrameControl)(dc, box, type, state);
}

std::vector<WPARAM> g_script;   // keys for the focused control; IDOK and IDCANCEL for the dialog

// Checks what the list shows, then plays the script inside the modal loop.
void CALLBACK PlayScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "Options");
    if (!IsWindowVisible(dialog) || !KillTimer(nullptr, timer))   // shown, so its items are drawn
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
    CHECK(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) >= 16);   // as high as a check square, checked or not
    CHECK(std::exchange(g_squares, {}) == std::set<UINT>{DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED});
    for (WPARAM step : g_script)
        SendMessageA(step < VK_SPACE ? dialog : GetFocus(), step < VK_SPACE ? WM_COMMAND : WM_KEYDOWN, step, 0);
}

} // namespace

TEST_CASE("Options changes the rows on an accepted OK only")
{
    // Prompt chosen in the first row and not applied; its setting's zone policy says Disable.
    const std::string second = "Download &unsigned ActiveX controls: Prompt; ";
    const struct {
        std::string name;
        DWORD shown;
        std::vector<WPARAM> script;   // keys for the focused item, or IDOK and IDCANCEL for the dialog
        std::string outcome;   // the rows, the messages and how the window's bottom edge moved
    } rows[] = {
        {.name = "Space checks the first", .shown = 0x208, .script = {VK_SPACE, IDOK},
         .outcome = "&Download signed ActiveX controls: Disable; Active &scripting: Prompt; &Navigate sub-frames "
                    "across domains: Prompt; quiet; down"},
        {.name = "none checked: refused, then Cancel", .shown = 0x008,
         .script = {VK_DOWN, VK_DOWN, VK_DOWN, VK_SPACE, IDOK, IDCANCEL},
         .outcome = "Active &scripting: Prompt; told 120; kept"},
        {.name = "the tenth, the most", .shown = 0x1FF, .script = {VK_END, VK_SPACE, IDOK},
         .outcome = "&Download signed ActiveX controls: Disable; " + second + "&Run ActiveX controls and plug-ins: "
                    "Prompt; Active &scripting: Prompt; Scripting of &Java programs: Prompt; Scripting of safe "
                    "Active&X controls: Prompt; Acc&ess data sources across domains: Prompt; Display &mixed content: "
                    "Prompt; Drag and drop or copy and paste &files: Prompt; &Navigate sub-frames across domains: "
                    "Prompt; quiet; down"},
        {.name = "the last alone", .shown = 0x201, .script = {VK_SPACE, IDOK},
         .outcome = "&Navigate sub-frames across domains: Prompt; quiet; up"},
    };
    const ImportPatch squares("user32", "DrawFrameControl", DrawSquare);
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture;
        MadeHandles made;
        ResetShownSettings(c.shown);
        SetPolicy(0x1001, URLPOLICY_DISALLOW);
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
        const std::string told = fixture.messages.Shown();
        CHECK(ShownRows(dialog) + "; " + (told.empty() ? "quiet" : "told " + told) + "; " +
                  (after.bottom > before.bottom ? "down" : after.bottom < before.bottom ? "up" : "kept") == c.outcome);
        CHECK(after.left == before.left);   // only the bottom edge moves
        CHECK(after.top == before.top);
        CHECK(after.right == before.right);
        for (int row = 0; row < RowCount && IsWindowVisible(GetDlgItem(dialog, IDC_FIRST_LABEL + row)); ++row) {
            RECT padlock, button;   // each shown row's padlock centred on its Disable button, the new ones too
            GetWindowRect(GetDlgItem(dialog, IDC_FIRST_STATUS + row), &padlock);
            GetWindowRect(GetDlgItem(dialog, IDC_FIRST_BUTTON + 3 * row + 2), &button);
            CHECK(std::abs(padlock.top + padlock.bottom - button.top - button.bottom) <= 1);
        }
        CloseMainDialog(dialog);
        CHECK(made.live.empty());   // each item drawn, each paint, each round frees what it made
    }
}
