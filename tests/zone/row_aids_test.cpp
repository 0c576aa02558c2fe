// Tooltips, accessible names and hover images of the main dialog's row buttons.
#include "support/common.h"

#include <commctrl.h>

#include "zone/dialog_harness.h"
#include "zone/row_images.h"

TEST_CASE_FIXTURE(ZoneFixture, "every row button names its choice, and shows its colour image while hovered")
{
    HWND dialog = CreateMainDialog();   // row 0 reads Enable
    HWND tooltip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    REQUIRE(GetWindow(tooltip, GW_OWNER) == dialog);
    CHECK(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0) == 30);
    for (int i = 0; i < 30; ++i) {
        const std::string name[] = {"Enable", "Prompt", "Disable"};
        char tip[80] = "", text[80] = "";
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = GetDlgItem(dialog, IDC_FIRST_BUTTON + i);
        tool.lpszText = tip;
        SendMessageA(tooltip, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool));
        GetWindowTextA(tool.hwnd, text, sizeof text);   // what a screen reader says
        CHECK(tip == name[i % 3]);
        CHECK(text == name[i % 3]);
    }
    // In, then out: Prompt (unchecked), Enable (checked: no change), the last, a hidden row's. image: RowIcon index.
    const struct { int button, x, image; bool captured; } steps[] = {{1, 5, 1, true}, {1, 40, 1 + GreyIcons, false},
        {0, 5, 0, false}, {0, 40, 0, false}, {29, 5, 2, true}, {29, 40, 2 + GreyIcons, false}};
    for (const auto& step : steps) {
        HWND button = GetDlgItem(dialog, IDC_FIRST_BUTTON + step.button);
        SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(step.x, 5));
        CHECK(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0) == reinterpret_cast<LRESULT>(RowIcon(step.image)));
        CHECK((GetCapture() == button) == step.captured);
    }
    CloseMainDialog(dialog);
}
