// The main dialog (template 101): rows of Enable/Prompt/Disable buttons per shown setting.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Brings one row's button images and padlock in line with its check states;
// buttonId is any of the row's three buttons.
void UpdateRowImages(HWND dialog, int buttonId);

// Loads the row icons, places the shown rows' padlocks and lays the rows out.
void InitRowIcons(HWND dialog);
// The other padlocks: they are hidden, so they can wait until the window shows,
// which comes before any Options OK can show their rows.
void PlaceHiddenPadlocks(HWND dialog);

// The row icons while the dialog lives: index c is the colour image of choice c,
// c + GreyIcons its grey image; 6 the closed padlock, 7 the open one.
constexpr int GreyIcons = 3;
HICON RowIcon(int index);
