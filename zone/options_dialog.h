// The options dialog (template 129): which settings of the catalogue the main
// dialog shows, as a check list of one to ten checked items.
#pragma once
#include <windows.h>

// Ends with IDOK once the checked items are stored as the catalogue's shown
// flags, with IDCANCEL leaving the catalogue untouched.
INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
