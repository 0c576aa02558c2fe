// The options dialog as the main dialog opens it: what it lists, what its answers do.
#include "support/common.h"

#include <set>

#include "zone/dialog_harness.h"
#include "zone/option_catalogue.h"

namespace {

std::set<HANDLE> g_live;   // the fonts, brushes and global blocks the product made and has not freed
template <typename Handle> Handle Live(Handle made) { return g_live.insert(made), made; }
HBRUSH WINAPI NewBrush(COLORREF colour) { return Live(PLATFORM("gdi32", CreateSolidBrush)(colour)); }
HFONT WINAPI NewFont(const LOGFONTA* look) { return Live(PLATFORM("gdi32", CreateFontIndirectA)(look)); }
HGLOBAL WINAPI NewBlock(UINT flags, SIZE_T size) { return Live(PLATFORM("kernel32", GlobalAlloc)(flags, size)); }
BOOL WINAPI FreeObject(HGDIOBJ object) { return g_live.erase(object), PLATFORM("gdi32", DeleteObject)(object); }
HGLOBAL WINAPI FreeBlock(HGLOBAL block) { return g_live.erase(block), PLATFORM("kernel32", GlobalFree)(block); }
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
    CHECK(SendMessageA(list, LB_GETCOUNT, 0, 0) == OptionCount);
    char text[64] = "";
    SendMessageA(list, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(text));
    CHECK(std::string(text) == "Active scripting");   // without the label's "&" and ":"
    CHECK((SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) >= 16 &&   // as high as a check square, checked or not
           std::exchange(g_squares, {}) == std::set<UINT>{DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED}));
    for (WPARAM step : g_script)
        SendMessageA(step < VK_SPACE ? dialog : GetFocus(), step < VK_SPACE ? WM_COMMAND : WM_KEYDOWN, step, 0);
}

} // namespace

TEST_CASE("Options changes the rows on an accepted OK only")
{
    // firstRow: the first row after the dialog, Prompt having been chosen there and not applied.
    const struct { DWORD shown; std::vector<WPARAM> script; DWORD shownAfter; size_t refusals; std::string firstRow; } cases[] = {
        {0x208, {VK_SPACE, IDOK}, 0x209, 0, "001"},                                         // Space checks one, OK
        {0x008, {VK_DOWN, VK_DOWN, VK_DOWN, VK_SPACE, IDOK, IDCANCEL}, 0x008, 1, "010"},   // none: refused, Cancel
        {0x1FF, {VK_END, VK_SPACE, IDOK}, 0x3FF, 0, "001"},                                // the tenth, the most
        {0x201, {VK_SPACE, IDOK}, 0x200, 0, "010"},                                         // the last one alone
    };
    const ImportPatch tracked[] = {{"gdi32", "CreateSolidBrush", NewBrush}, {"gdi32", "CreateFontIndirectA", NewFont},
        {"gdi32", "DeleteObject", FreeObject}, {"kernel32", "GlobalAlloc", NewBlock}, {"kernel32", "GlobalFree", FreeBlock},
        {"user32", "DrawFrameControl", DrawSquare}};
    for (const auto& c : cases) {
        CAPTURE(c.shown);
        ZoneFixture fixture;
        ResetShownSettings(c.shown);
        SetPolicy(0x1001, URLPOLICY_DISALLOW);
        HWND dialog = CreateMainDialog();
        ShowWindow(dialog, SW_SHOWNA);   // as a user has it: rows now come and go one by one
        CheckRadioButton(dialog, IDC_FIRST_BUTTON, IDC_FIRST_BUTTON + 2, IDC_FIRST_BUTTON + 1);
        RECT before, after;
        GetWindowRect(dialog, &before);
        g_script = c.script;
        SetTimer(nullptr, 0, 20, PlayScript);
        SendMessageA(dialog, WM_COMMAND, IDC_OPTIONS, 0);
        GetWindowRect(dialog, &after);
        for (int i = 0; i < OptionCount; ++i)
            CHECK(OptionCatalogue[i].visible == ((c.shownAfter >> i) & 1));
        CHECK((fixture.messages.CountOf(IDS_NO_OPTION) == c.refusals && RowChecks(dialog, 0) == c.firstRow));
        const int rows = __builtin_popcount(c.shownAfter), grown = rows - __builtin_popcount(c.shown);
        CHECK((IsWindowVisible(GetDlgItem(dialog, IDC_FIRST_LABEL + rows - 1)) &&
               (rows == RowCount || !IsWindowVisible(GetDlgItem(dialog, IDC_FIRST_LABEL + rows)))));
        RECT padlock, button;   // the last row's padlock centred on its Disable button
        GetWindowRect(GetDlgItem(dialog, IDC_FIRST_STATUS + rows - 1), &padlock);
        GetWindowRect(GetDlgItem(dialog, IDC_FIRST_BUTTON + 3 * rows - 1), &button);
        CHECK(std::abs(padlock.top + padlock.bottom - button.top - button.bottom) <= 1);
        // Only the bottom edge moves: down when a row came, up when one went.
        CHECK((after.left == before.left && after.top == before.top && after.right == before.right &&
               (after.bottom > before.bottom) - (after.bottom < before.bottom) == (grown > 0) - (grown < 0)));
        CloseMainDialog(dialog);
        CHECK(std::exchange(g_live, {}).empty());   // each item drawn, each paint, each round frees what it made
    }
}
