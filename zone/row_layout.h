// Shows the rows of the visible settings, moves the buttons, link and notice
// under the last one and fits the dialog's height to them.
#pragma once
#include <windows.h>

void LayoutRows(HWND dialog);

// Moves and sizes every control of dialog, and the layout's gaps, from display
// scale from to to (in DPI), and gives each control font; lay the rows out again after.
void ScaleControls(HWND dialog, UINT from, UINT to, HFONT font);

// control's window rectangle in its parent's client coordinates.
void GetControlRect(HWND control, RECT* rect);
