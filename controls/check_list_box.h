// A standard owner-drawn, single-selection list box whose items carry check
// squares; an item's checked flag is its item data (0 unchecked, else checked).
// The parent measures and draws the items through MeasureCheckListItem and
// DrawCheckListItem, and hears of every toggle gesture through WM_CHECKLIST_TOGGLED;
// the list measures them again itself when it is moved to another display scale.
#pragma once
#include <windows.h>

// Sent to the parent after Space, a click in a check square or a double click
// elsewhere on an item, once the toggle is stored and painted; wParam and lParam are 0.
constexpr UINT WM_CHECKLIST_TOGGLED = WM_APP + 0x1000;

// Grafts the check behaviour onto listBox (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
// unsorted, single selection); false when it is left a plain list box.
bool SubclassCheckListBox(HWND listBox);

// For the parent's WM_MEASUREITEM and WM_DRAWITEM of the list box.
void MeasureCheckListItem(HWND listBox, MEASUREITEMSTRUCT* measure);
void DrawCheckListItem(const DRAWITEMSTRUCT* draw);

// The setters repaint the item before they return.
void SetCheckListItemState(HWND listBox, int index, DWORD state);
LRESULT GetCheckListItemState(HWND listBox, int index);
int CountCheckedListItems(HWND listBox);
