// The options dialog: what it lists, and what its answers do to the main dialog
// that opens it.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "controls/check_list_box.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/dialog_harness.h"
#include "zone/fake_zone_manager.h"
#include "zone/option_catalogue.h"
#include "zone/options_dialog.h"

namespace {

std::vector<WPARAM> g_script;   // keys for the list; IDOK and IDCANCEL for the dialog
bool g_listHadFocus;

// Plays the script inside the modal loop, once the dialog is up.
void CALLBACK PlayScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "Options");
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    g_listHadFocus = GetFocus() == list;
    for (WPARAM step : g_script)
        SendMessageA(step == IDOK || step == IDCANCEL ? dialog : list, step < VK_SPACE ? WM_COMMAND : WM_KEYDOWN,
                     step, 0);
}

} // namespace

TEST_CASE("the list holds the ten settings in catalogue order, bare of & and :, the shown ones checked")
{
    ResetShownSettings(0x208);
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDlgProc, 0);
    HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    REQUIRE(SendMessageA(list, LB_GETCOUNT, 0, 0) == OptionCount);
    for (int i = 0; i < OptionCount; ++i) {
        std::string label = OptionCatalogue[i].label;
        label.erase(std::remove_if(label.begin(), label.end(), [](char c) { return c == '&' || c == ':'; }),
                    label.end());
        char text[64] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        CHECK(text == label);
        CHECK(GetCheckListItemState(list, i) == ((0x208 >> i) & 1));
    }
    DestroyWindow(dialog);
}

TEST_CASE("Options from the main dialog: OK lays the rows out again from the zone, Cancel and refusals change nothing")
{
    const struct {
        const char* name;
        std::vector<WPARAM> script;
        DWORD shownAfter;
        size_t refusals;        // message 120
        const char* firstRow;   // set to Prompt before, not applied
    } cases[] = {
        {"Space checks the first setting, OK", {VK_SPACE, IDOK}, 0x009, 0, "001"},
        {"toggles, then Cancel", {VK_DOWN, VK_SPACE, VK_DOWN, VK_SPACE, IDCANCEL}, 0x008, 0, "010"},
        {"nothing checked: OK refused", {VK_DOWN, VK_DOWN, VK_DOWN, VK_SPACE, IDOK, IDCANCEL}, 0x008, 1, "010"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        ResetShownSettings(0x008);
        RegistrySandbox sandbox;
        FakeZoneManagerRegistration zone;
        zone.state.policies = {{0x1001, 3}, {0x1400, 0}};
        MessageBoxCatcher messages;
        HWND dialog = CreateMainDialog();
        CheckRadioButton(dialog, IDC_FIRST_BUTTON, IDC_FIRST_BUTTON + 2, IDC_FIRST_BUTTON + 1);
        RECT before, after;
        GetWindowRect(dialog, &before);
        g_script = c.script;
        SetTimer(nullptr, 0, 20, PlayScript);
        SendMessageA(dialog, WM_COMMAND, IDC_OPTIONS, 0);
        GetWindowRect(dialog, &after);
        CHECK(g_listHadFocus);
        for (int i = 0; i < OptionCount; ++i)
            CHECK(OptionCatalogue[i].visible == ((c.shownAfter >> i) & 1));
        CHECK(messages.Count() == c.refusals);
        CHECK(messages.CountOf(IDS_NO_OPTION) == c.refusals);
        CHECK(RowChecks(dialog, 0) == c.firstRow);
        // Only the bottom edge moves: down when a row came.
        CHECK((after.bottom > before.bottom) == (c.shownAfter != 0x008));
        CHECK((after.left == before.left && after.top == before.top && after.right == before.right));
        CloseMainDialog(dialog);
    }
}
