// Tooltips, accessible names and hover images of the main dialog's row buttons, and its small print.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/resource.h"
#include "zone/dialog_harness.h"
#include "zone/main_dialog.h"

namespace {
struct Fixture : ZoneFixture {   // row 0 reads Prompt
    HWND dialog = CreateMainDialog();
    ~Fixture() { CloseMainDialog(dialog); }
};
} // namespace

TEST_CASE_FIXTURE(Fixture, "one tooltip and the accessible names give every row button its choice, hidden rows too")
{
    HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    REQUIRE(GetWindow(tip, GW_OWNER) == dialog);
    REQUIRE(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0) == 30);
    for (int i = 0; i < 30; ++i) {
        const std::string name[] = {"Enable", "Prompt", "Disable"};
        char text[80] = "";
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        REQUIRE(SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)));
        CHECK(tool.hwnd == GetDlgItem(dialog, IDC_FIRST_BUTTON + i));
        CHECK(text == name[i % 3]);
        GetWindowTextA(tool.hwnd, text, sizeof text);   // what a screen reader says
        CHECK(text == name[i % 3]);
    }
}

TEST_CASE_FIXTURE(Fixture, "an unchecked button shows its colour image while the pointer is over it")
{
    // Enable (unchecked) in, then out; Prompt (checked) in and out changes nothing. image: RowIcon index.
    const struct { int choice, x, image; bool captured; } steps[] = {
        {0, 5, 0, true}, {0, 40, 0 + GreyIcons, false}, {1, 5, 1, false}, {1, 40, 1, false}};
    for (const auto& step : steps) {
        HWND button = GetDlgItem(dialog, IDC_FIRST_BUTTON + step.choice);
        SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(step.x, 5));
        CHECK(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0) == reinterpret_cast<LRESULT>(RowIcon(step.image)));
        CHECK((GetCapture() == button) == step.captured);
    }
}

TEST_CASE_FIXTURE(Fixture, "the notice is in small print: two units smaller, TrueType only")
{
    LOGFONTA normal, small;
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof normal, &normal);
    GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_NOTICE, WM_GETFONT, 0, 0)), sizeof small, &small);
    CHECK(small.lfHeight == normal.lfHeight + 2);   // a dialog font has a negative (character) height
    CHECK(small.lfOutPrecision == OUT_TT_ONLY_PRECIS);
}
