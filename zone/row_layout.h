// Shows the rows of the visible settings, moves the buttons, link and notice
// under the last one and fits the dialog's height to them.
#pragma once
#include <windows.h>

void LayoutRows(HWND dialog);

// control's window rectangle in its parent's client coordinates.
void GetControlRect(HWND control, RECT* rect);
