// The main dialog's eight row icons, and what a row's check states show: each
// button's colour or grey image and the padlock beside the row.
#pragma once
#include <windows.h>

// RowIcon(c) is the colour image of choice c, RowIcon(c + GreyIcons) its grey one.
constexpr int GreyIcons = 3;
constexpr int LockedIcon = 6;
constexpr int UnlockedIcon = 7;

// Loaded while the main dialog lives, from its WM_INITDIALOG to its WM_DESTROY,
// at the size for the dialog's display scale (16 x 16 at 96 DPI); loading them
// again for another scale destroys the ones loaded before.
void LoadRowIcons(UINT dpi);
void DestroyRowIcons();
HICON RowIcon(int index);

// Icon resourceId drawn for base x base pixels at 96 DPI, at the size for dpi: the
// smallest size drawn that is at least base scaled, so never one stretched up.
HICON LoadIconForDpi(int resourceId, int base, UINT dpi);

// Centres the closed padlocks of rows first to end - 1 on their Disable buttons.
void PlacePadlocks(HWND dialog, int first, int end);

// Brings one row's button images and padlock in line with its check states;
// buttonId is any of the row's three buttons. A padlock is named for screen
// readers by what it shows, and a row without one shows and names none.
void UpdateRowImages(HWND dialog, int buttonId);
