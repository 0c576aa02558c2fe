#include "zone/options_dialog.h"

#include <cstring>

#include "app/brindle.h"
#include "app/resource.h"
#include "controls/check_list_box.h"
#include "zone/option_catalogue.h"

namespace {

constexpr char LabelMarks[] = "&:";

// Only a whole single-byte character of set matches; set may hold double-byte ones.
bool IsSingleByteCharIn(char c, const char* set)
{
    for (const char* p = set; *p; p = CharNextA(p))
        if (!IsDBCSLeadByte(static_cast<BYTE>(*p)) && *p == c)
            return true;
    return false;
}

// Removes in place every single-byte character of text that is in set; the
// halves of a double-byte character are never removed.
void StripChars(char* text, const char* set)
{
    // Forward, a character at a time, so a trail byte is never taken for one of set's.
    char* p = text;
    while (*p) {
        char* next = CharNextA(p);
        if (next == p + 1 && IsSingleByteCharIn(*p, set))
            std::memmove(p, next, std::strlen(next) + 1);
        else
            p = next;
    }
}

HWND OptionList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_OPTION_LIST);
}

void OnInitDialog(HWND dialog)
{
    HWND list = OptionList(dialog);
    SubclassCheckListBox(list);
    for (int i = 0; i < OptionCount; ++i) {
        char text[MAX_PATH];
        lstrcpynA(text, OptionCatalogue[i].label, sizeof text);
        StripChars(text, LabelMarks);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SetCheckListItemState(list, i, OptionCatalogue[i].visible);
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    // Space toggles the first item at once.
    SetFocus(list);
}

// True when the dialog ends.
bool Accept(HWND dialog)
{
    HWND list = OptionList(dialog);
    if (CountCheckedListItems(list) < 1) {
        ShowWarning(dialog, IDS_NO_OPTION);
        return false;
    }
    for (int i = 0; i < OptionCount; ++i)
        OptionCatalogue[i].visible = static_cast<DWORD>(GetCheckListItemState(list, i));
    EndDialog(dialog, IDOK);
    return true;
}

// The main dialog has no more rows than this; the toggle just made is taken back.
void EnforceUpperLimit(HWND dialog)
{
    HWND list = OptionList(dialog);
    if (CountCheckedListItems(list) <= RowCount)
        return;
    // Index -1 would be taken as every item.
    const LRESULT selection = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selection != LB_ERR)
        SetCheckListItemState(list, static_cast<int>(selection), 0);
    ShowWarning(dialog, IDS_TOO_MANY_OPTIONS);
}

INT_PTR OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        return Accept(dialog);
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MEASUREITEM:
        if (wParam != IDC_OPTION_LIST)
            return FALSE;
        MeasureCheckListItem(OptionList(dialog), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_OPTION_LIST)
            return FALSE;
        DrawCheckListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CHECKLIST_TOGGLED:
        EnforceUpperLimit(dialog);
        return FALSE;
    }
    return FALSE;
}
