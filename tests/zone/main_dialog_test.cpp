// The real main dialog, created from its template and driven with messages.
#include "support/common.h"

#include <random>

#include "setup/installer.h"
#include "zone/dialog_harness.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"
#include "zone/row_layout.h"

TEST_CASE("the stored Options decide the rows, and a close keeps them and the place")
{
    const struct {
        DWORD type, size, options;
        std::vector<int> entries;   // catalogue entries shown, top row first
        DWORD saved;
    } cases[] = {
        {REG_NONE, 0, 0, {3}, 8},   // nothing stored: the default row
        {REG_DWORD, 4, 0, {3}, 8},   // no row would show: the default one does
        {REG_BINARY, 5, 0x84, {3}, 8},
        {REG_DWORD, 4, 0x84, {2, 7}, 0x84},
        {REG_DWORD, 4, 0x200, {9}, 0x200},   // the last setting alone
        {REG_DWORD, 4, 0xFFFFFFFF, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0x3FF},   // higher bits dropped
    };
    for (const auto& c : cases) {
        CAPTURE(c.options);
        ZoneFixture fixture;
        for (int i = 0; i < OptionCount; ++i)   // each entry's own choice: a row shows what it read
            SetPolicy(OptionCatalogue[i].urlAction, PolicyChoices[i % 3].policy);
        const DWORD data[2] = {c.options};
        if (c.size)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, "Options", c.type, data, c.size);
        HWND dialog = CreateMainDialog();
        const auto rect = [&](int id) { RECT r; GetControlRect(GetDlgItem(dialog, id), &r); return r; };
        const auto unitsDown = [&](int units) { RECT r = {0, units, 0, 0}; MapDialogRect(dialog, &r); return r.top; };
        const auto image = [&](int id, UINT message) { return SendDlgItemMessageA(dialog, id, message, IMAGE_ICON, 0); };
        const int shown = static_cast<int>(c.entries.size());
        for (int row = 0; row < RowCount; ++row) {
            // A padlock, open or closed and named so, but for Prompt; a hidden row keeps the closed one it had.
            const int choice = row < shown ? c.entries[row] % 3 : 2;
            const HICON padlocks[] = {RowIcon(UnlockedIcon), nullptr, RowIcon(LockedIcon)};
            CHECK(image(IDC_FIRST_STATUS + row, STM_GETIMAGE) == reinterpret_cast<LRESULT>(padlocks[choice]));
            char name[16] = "";   // its window text, the name oleacc gives screen readers
            GetDlgItemTextA(dialog, IDC_FIRST_STATUS + row, name, sizeof name);
            CHECK(std::string(name) == std::vector<std::string>{"Unlocked", "", "Locked"}[choice]);
            // A row is its label and the four siblings after it; a padlock shows only with its image.
            HWND control = GetDlgItem(dialog, IDC_FIRST_LABEL + row);
            for (int sibling = 0; sibling < 5; ++sibling, control = GetWindow(control, GW_HWNDNEXT))
                CHECK(((GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0) ==
                      (row < shown && (sibling < 4 || choice != 1)));
            if (row >= shown)
                continue;
            char label[64];
            GetDlgItemTextA(dialog, IDC_FIRST_LABEL + row, label, sizeof label);
            CHECK(std::string(label) == OptionCatalogue[c.entries[row]].label);
            HDC dc = CreateCompatibleDC(nullptr);   // shown whole in the label's font
            SelectObject(dc, reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_FIRST_LABEL + row, WM_GETFONT, 0, 0)));
            RECT need = {};
            DrawTextA(dc, label, -1, &need, DT_CALCRECT | DT_SINGLELINE);
            DeleteDC(dc);
            CHECK(need.right <= rect(IDC_FIRST_LABEL + row).right - rect(IDC_FIRST_LABEL + row).left);
            // The chosen button checked and in colour, the others grey.
            CHECK(RowChecks(dialog, row) == std::string("100010001").substr(3 * choice, 3));
            for (int b = 0; b < 3; ++b)
                CHECK(image(IDC_FIRST_BUTTON + 3 * row + b, BM_GETIMAGE) ==
                      reinterpret_cast<LRESULT>(RowIcon(b == choice ? b : b + GreyIcons)));
        }
        // OK, Cancel and Options 18 units under the last label, the link 20 further,
        // the notice right under it, and the client area ending with the notice.
        for (int id : {IDOK, IDCANCEL, IDC_OPTIONS})
            CHECK(std::abs(rect(id).top - unitsDown(16 * shown + 10)) <= 1);
        CHECK((std::abs(rect(IDC_LINK).top - unitsDown(16 * shown + 30)) <= 1 && rect(IDC_NOTICE).top == rect(IDC_LINK).bottom));
        RECT client;
        GetClientRect(dialog, &client);
        CHECK((client.bottom == rect(IDC_NOTICE).bottom && (shown < 10 || client.bottom == unitsDown(210))));
        SetWindowPos(dialog, nullptr, 100 + shown, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CloseMainDialog(dialog);
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "Options") == c.saved);
        CHECK(DwordValue(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel") == URLTEMPLATE_MEDIUM);   // Cancel wrote nothing
        dialog = CreateMainDialog();
        RECT now;
        GetWindowRect(dialog, &now);
        CHECK((now.left == 100 + shown && now.top == 120));
        CloseMainDialog(dialog);
    }
}

TEST_CASE("bad stored values and odd zone policies still give a usable window and sound settings")
{
    // A failure names its seed; BRDL_SEED=<seed> in the environment replays that run.
    const unsigned seed = getenv("BRDL_SEED") ? std::strtoul(getenv("BRDL_SEED"), nullptr, 10) : GetTickCount();
    INFO("seed ", seed);
    std::mt19937 random(seed);
    const DWORD types[] = {REG_NONE, REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD};
    RECT usual = {};   // every window as wide as the first: a stored place keeps the width
    for (int i = 0; i < 200; ++i) {
        ZoneFixture fixture;
        fixture.messages.dialogs[IDD_INSTALL] = IDCANCEL;
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 0);   // installed, unless replaced below
        // As any InstFlag that reads into 4 bytes makes it; -1 for a text, whose read the platform converts.
        int installed = 1;
        for (const char* name : {"Options", "WinPos", "InstFlag"}) {
            std::string data(random() % 60, '\0');
            for (char& b : data)
                b = static_cast<char>(random() % 4 ? random() : 0);
            const DWORD storedType = types[random() % 6];
            if (random() % 4) {
                RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, name, storedType, data.data(), DWORD(data.size()));
                if (name[0] == 'I')
                    installed = storedType == REG_SZ || storedType == REG_MULTI_SZ ? -1 : data.size() <= 4;
            }
        }
        const int passes = RunInstallerIfNeeded();
        CHECK((installed < 0 || passes == installed));
        CHECK(fixture.messages.caught.size() == !passes);   // the install dialog, cancelled
        if (!passes)
            continue;
        DWORD before[OptionCount];
        for (int k = 0; k < OptionCount; ++k)
            SetPolicy(OptionCatalogue[k].urlAction, before[k] = random() % 2 ? random() : random() % 4);
        HWND dialog = CreateMainDialog();
        RECT window;
        GetWindowRect(dialog, &window);
        if (usual.right == 0)
            usual = window;
        CHECK((MonitorFromRect(&window, MONITOR_DEFAULTTONULL) && !IsIconic(dialog) &&
               window.right - window.left == usual.right - usual.left));
        CHECK((GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_LABEL), GWL_STYLE) & WS_VISIBLE));
        CloseMainDialog(dialog, random() % 2 ? IDOK : IDCANCEL);
        DWORD type = 0;
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "Options") - 1 < 0x3FF);   // 1 to 0x3FF
        CHECK((RawValue(HKEY_CURRENT_USER, SettingsKey, "WinPos", &type).size() == sizeof(WINDOWPLACEMENT) &&
               type == REG_BINARY));
        for (int k = 0; k < OptionCount; ++k) {
            const DWORD after = PolicyOf(OptionCatalogue[k].urlAction);
            CHECK((after == before[k] || after < 2 || after == 3));
        }
        CHECK(fixture.messages.caught.empty());
    }
}
