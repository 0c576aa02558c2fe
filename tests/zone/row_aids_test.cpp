// Tooltips, hover images and accessible names of the main dialog's row buttons.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <string>

#include "app/resource.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/dialog_harness.h"
#include "zone/fake_zone_manager.h"
#include "zone/main_dialog.h"

namespace {

const char* const Names[] = {"Enable", "Prompt", "Disable"};

struct Fixture {
    Fixture() { ResetShownSettings(); zone.state.policies[0x1400] = 3; }   // row 0: Disable
    RegistrySandbox sandbox;
    FakeZoneManagerRegistration zone;
    MessageBoxCatcher messages;
};

BOOL CALLBACK CollectTooltips(HWND window, LPARAM found)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == TOOLTIPS_CLASSA)
        reinterpret_cast<std::basic_string<HWND>*>(found)->push_back(window);
    return TRUE;
}

} // namespace

TEST_CASE_FIXTURE(Fixture, "one tooltip names all thirty row buttons, hidden rows included")
{
    HWND dialog = CreateMainDialog();
    std::basic_string<HWND> tooltips;
    EnumThreadWindows(GetCurrentThreadId(), CollectTooltips, reinterpret_cast<LPARAM>(&tooltips));
    REQUIRE(tooltips.size() == 1);
    CHECK(GetWindow(tooltips[0], GW_OWNER) == dialog);
    REQUIRE(SendMessageA(tooltips[0], TTM_GETTOOLCOUNT, 0, 0) == 30);
    for (int i = 0; i < 30; ++i) {
        char text[80] = "";
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        REQUIRE(SendMessageA(tooltips[0], TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)));
        CHECK(tool.hwnd == GetDlgItem(dialog, IDC_FIRST_BUTTON + i));
        CHECK(std::string(text) == Names[i % 3]);
    }
    CloseMainDialog(dialog);
}

TEST_CASE_FIXTURE(Fixture, "hovering an unchecked button shows its colour image while it holds the capture")
{
    HWND dialog = CreateMainDialog();
    const struct {
        int choice, x, y;
        bool fromCorner;   // x and y from the client area's last pixel
        int image;         // RowIcon index
        bool captured;
    } steps[] = {
        {0, 5, 5, false, 0, true},                 // Enable, unchecked: colour
        {0, 6, 5, false, 0, true},                 // still inside: nothing changes
        {0, -3, 5, false, 0 + GreyIcons, false},   // left it: grey, capture released
        {1, 0, 0, true, 1, true},                  // Prompt, its last pixel
        {1, 1, 0, true, 1 + GreyIcons, false},     // one past its right edge
        {2, 5, 5, false, 2, false},                // Disable, checked: never changes
        {2, -3, 5, false, 2, false},
    };
    for (const auto& step : steps) {
        CAPTURE(step.choice);
        CAPTURE(step.x);
        HWND button = GetDlgItem(dialog, IDC_FIRST_BUTTON + step.choice);
        RECT client;
        GetClientRect(button, &client);
        const POINT corner = step.fromCorner ? POINT{client.right - 1, client.bottom - 1} : POINT{0, 0};
        SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(corner.x + step.x, corner.y + step.y));
        CHECK(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0) == reinterpret_cast<LRESULT>(RowIcon(step.image)));
        CHECK((GetCapture() == button) == step.captured);
    }
    CHECK(RowChecks(dialog, 0) == "001");
    CloseMainDialog(dialog);
}

TEST_CASE_FIXTURE(Fixture, "screen readers name the row buttons by their choice")
{
    HWND dialog = CreateMainDialog();
    for (int c = 0; c < 3; ++c) {
        IAccessible* button = nullptr;
        REQUIRE(AccessibleObjectFromWindow(GetDlgItem(dialog, IDC_FIRST_BUTTON + c), OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&button)) == S_OK);
        VARIANT self = {};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        CHECK(button->get_accName(self, &name) == S_OK);
        CHECK(std::string(name, name + SysStringLen(name)) == Names[c]);
        SysFreeString(name);
        button->Release();
    }
    CloseMainDialog(dialog);
}
