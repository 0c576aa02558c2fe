// What a screen reader hears of a check list box: the list itself as the platform
// tells it, each item as a check box with its text and whether it is checked.
#pragma once
#include <windows.h>

// The answer to the list box's WM_GETOBJECT for its client area (OBJID_CLIENT);
// 0, which leaves it to the platform, when oleacc cannot be loaded.
LRESULT AnswerCheckListObject(HWND listBox, WPARAM wParam);
