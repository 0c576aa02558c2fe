// Aids on the thirty row buttons of the main dialog: a tooltip naming each
// button's choice, and the colour image while the pointer is over an unchecked one.
#pragma once
#include <windows.h>

// One tooltip control owned by dialog, one tool per row button, hidden rows included.
// Each button also gets its choice as window text, the name screen readers announce.
void AddRowTooltips(HWND dialog);
// Each tool as large as its button again, once the buttons were scaled.
void FitRowTooltips(HWND dialog);

// Puts RowButtonHoverProc in front of button id's procedure, which it keeps in the
// button's user data; false when that procedure cannot be read.
bool SubclassRowButton(HWND dialog, int id);

// Declared for the main dialog, which tells by it that the buttons are subclassed.
LRESULT CALLBACK RowButtonHoverProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
