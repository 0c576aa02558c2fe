// A static text that works as a web link (underlined in the highlight colour, a
// hand over its text, a click opens it with the shell), and a smaller font for a
// line of small print.
#pragma once
#include <windows.h>

// Makes control controlId of dialog a link; false when the control is missing or
// its procedure cannot be replaced (the static then works as before).
bool SubclassHyperlink(HWND dialog, int controlId, int cursorId);

// Gives control its font two units smaller at 96 DPI, as much smaller in proportion at
// the display scale dpi, TrueType only; *savedFont receives the font it had and
// *smallFont the new one, which the restore deletes.
void ApplySmallPrintFont(HWND control, HFONT* savedFont, HFONT* smallFont, UINT dpi);
// Puts *savedFont back, deletes *smallFont and empties both; nothing when already done.
void RestoreSmallPrintFont(HWND control, HFONT* savedFont, HFONT* smallFont);
