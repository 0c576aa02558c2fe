#include "zone/dialog_harness.h"

#include <cstdlib>

#include "app/brindle.h"
#include "app/resource.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"

namespace {

MadeHandles* g_made;
template <typename Handle> Handle Live(Handle made) { return g_made->live.insert(made), made; }
HBRUSH WINAPI NewBrush(COLORREF colour) { return Live(PLATFORM("gdi32", CreateSolidBrush)(colour)); }
HFONT WINAPI NewFont(const LOGFONTA* look) { return Live(PLATFORM("gdi32", CreateFontIndirectA)(look)); }
HGLOBAL WINAPI NewBlock(UINT flags, SIZE_T size) { return Live(PLATFORM("kernel32", GlobalAlloc)(flags, size)); }
HANDLE WINAPI NewImage(HINSTANCE module, LPCSTR name, UINT type, int width, int height, UINT flags)
{
    return Live(PLATFORM("user32", LoadImageA)(module, name, type, width, height, flags));
}
BOOL WINAPI FreeObject(HGDIOBJ object) { return g_made->live.erase(object), PLATFORM("gdi32", DeleteObject)(object); }
HGLOBAL WINAPI FreeBlock(HGLOBAL block) { return g_made->live.erase(block), PLATFORM("kernel32", GlobalFree)(block); }
BOOL WINAPI FreeIcon(HICON icon) { return g_made->live.erase(icon), PLATFORM("user32", DestroyIcon)(icon); }

} // namespace

MadeHandles::MadeHandles()
    : patches{{"gdi32", "CreateSolidBrush", NewBrush}, {"gdi32", "CreateFontIndirectA", NewFont},
              {"kernel32", "GlobalAlloc", NewBlock}, {"user32", "LoadImageA", NewImage},
              {"gdi32", "DeleteObject", FreeObject}, {"kernel32", "GlobalFree", FreeBlock},
              {"user32", "DestroyIcon", FreeIcon}} { g_made = this; }

ZoneFixture::ZoneFixture(DWORD shown)
{
    WriteDword(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel", URLTEMPLATE_MEDIUM);
    for (int i = 0; i < OptionCount; ++i) {
        OptionCatalogue[i].visible = (shown >> i) & 1;
        SetPolicy(OptionCatalogue[i].urlAction, PolicyChoices[i % 3].policy);
    }
}

void SetPolicy(DWORD action, DWORD policy)
{
    char name[16];   // a policy's value is named by its action in upper-case hexadecimal
    wsprintfA(name, "%lX", action);
    WriteDword(HKEY_CURRENT_USER, ZoneKey, name, policy);
}

HWND CreateMainDialog()
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
    SendMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);   // as DialogBox's showing: the row aids follow it
    PumpMessages();
    return dialog;
}

void CloseMainDialog(HWND dialog)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    DestroyWindow(dialog);
    PumpMessages();
}

void PumpMessages()
{
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&message))
        TranslateMessage(&message);
}

bool Showing(HWND control) { return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

std::string ShownRows(HWND dialog)
{
    std::string rows;
    for (int row = 0; row < RowCount; ++row) {
        HWND label = GetDlgItem(dialog, IDC_FIRST_LABEL + row), padlock = GetDlgItem(dialog, IDC_FIRST_STATUS + row);
        if (!Showing(label)) {   // hidden whole
            for (HWND control = GetWindow(label, GW_HWNDNEXT); control != GetWindow(padlock, GW_HWNDNEXT);
                 control = GetWindow(control, GW_HWNDNEXT))
                rows += Showing(control) ? " [row " + std::to_string(row) + " half shown]" : "";
            continue;
        }
        std::string checks;
        for (int c = 0; c < 3; ++c)
            checks += IsDlgButtonChecked(dialog, IDC_FIRST_BUTTON + 3 * row + c) == BST_CHECKED ? '1' : '0';
        const int choice = checks == "100" ? 0 : checks == "010" ? 1 : checks == "001" ? 2 : -1;
        // Where Tab from the label goes, as its mnemonic does: one of the row's own buttons.
        const int reached = GetDlgCtrlID(GetNextDlgTabItem(dialog, label, FALSE)) - IDC_FIRST_BUTTON - 3 * row;
        char text[64] = "", name[16] = "";
        GetWindowTextA(label, text, sizeof text);
        GetWindowTextA(padlock, name, sizeof name);   // the name oleacc gives screen readers
        std::string problems = reached < 0 || reached > 2 ? " [not reached]" : "";
        for (int c = 0; c < 3; ++c)
            if (SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 3 * row + c, BM_GETIMAGE, IMAGE_ICON, 0) !=
                reinterpret_cast<LRESULT>(RowIcon(c == choice ? c : c + GreyIcons)))
                problems += " [image " + std::to_string(c) + "]";
        const int padlocks[] = {UnlockedIcon, -1, LockedIcon};
        const int expected = choice < 0 ? -1 : padlocks[choice];
        RECT lock, disable;   // the padlock centred on the row's Disable button
        GetWindowRect(padlock, &lock);
        GetWindowRect(GetDlgItem(dialog, IDC_FIRST_BUTTON + 3 * row + 2), &disable);
        const bool centred = std::abs(lock.top + lock.bottom - disable.top - disable.bottom) <= 1;
        if (SendMessageA(padlock, STM_GETIMAGE, IMAGE_ICON, 0) !=
                (expected < 0 ? 0 : reinterpret_cast<LRESULT>(RowIcon(expected))) ||
            Showing(padlock) != (expected >= 0) || !centred ||
            std::string(name) != (expected == UnlockedIcon ? "Unlocked" : expected == LockedIcon ? "Locked" : ""))
            problems += " [padlock]";
        const char* choices[] = {"nothing", "Enable", "Prompt", "Disable"};
        rows += (rows.empty() ? "" : "; ") + std::string(text) + " " + choices[choice + 1] + problems;
    }
    return rows;
}
