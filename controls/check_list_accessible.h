// What a screen reader hears of a check list box: the list itself as the platform
// tells it, each item as a check box with its text and whether it is checked.
#pragma once
#include <windows.h>

// Posted to the list box by an item's default action: selects item wParam and
// toggles it as Space would.
constexpr UINT WM_CHECKLIST_DEFAULT_ACTION = WM_APP + 0x1001;

// The answer to the list box's WM_GETOBJECT for its client area (OBJID_CLIENT);
// 0, which leaves it to the platform, when oleacc cannot be loaded.
LRESULT AnswerCheckListObject(HWND listBox, WPARAM wParam);
