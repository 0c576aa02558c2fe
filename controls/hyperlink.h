// A static text that works as a web link (underlined in the highlight colour, a
// hand over its text, a click opens it with the shell), and a smaller font for a
// line of small print.
#pragma once
#include <windows.h>

// Kept in a movable global block, in the label's property "UrlPointerWndProc".
struct HyperlinkState {
    LONG align;            // style & 3 at the last paint: SS_CENTER, SS_RIGHT or left
    RECT textRect;         // where the text went at the last paint; empty before it
    LONG cursorId;         // cursor resource shown over the text
    WNDPROC prevWndProc;   // the static's own procedure
};

// Makes control controlId of dialog a link; 1 when done, 0 when the control is
// missing or its procedure cannot be replaced (the static then works as before).
int SubclassHyperlink(HWND dialog, int controlId, int cursorId);

LRESULT CALLBACK UrlPointerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Draws label's text underlined at the top of dc and records where it went in state.
void PaintHyperlink(HWND label, HDC dc, HyperlinkState* state);

// Gives control its font two units smaller, TrueType only; *savedFont receives the
// font it had and *smallFont the new one, which the restore deletes.
void ApplySmallPrintFont(HWND control, HFONT* savedFont, HFONT* smallFont);
// Puts *savedFont back, deletes *smallFont and empties both; nothing when already done.
void RestoreSmallPrintFont(HWND control, HFONT* savedFont, HFONT* smallFont);
