// The main dialog's eight row icons, and what a row's check states show: each
// button's colour or grey image and the padlock beside the row.
#pragma once
#include <windows.h>

// RowIcon(c) is the colour image of choice c, RowIcon(c + GreyIcons) its grey one.
constexpr int GreyIcons = 3;
constexpr int LockedIcon = 6;
constexpr int UnlockedIcon = 7;

// Loaded while the main dialog lives: from its WM_INITDIALOG to its WM_DESTROY.
void LoadRowIcons();
void DestroyRowIcons();
HICON RowIcon(int index);

// Centres the closed padlocks of rows first to end - 1 on their Disable buttons.
void PlacePadlocks(HWND dialog, int first, int end);

// Brings one row's button images and padlock in line with its check states;
// buttonId is any of the row's three buttons.
void UpdateRowImages(HWND dialog, int buttonId);
