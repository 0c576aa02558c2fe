// Creating and inspecting the real main dialog in-process.
#pragma once
#include <windows.h>
#include <string>

// Restores the catalogue's shown flags (bit i = entry i), as at process start.
void ResetShownSettings(DWORD mask = 1u << 3);

// The main dialog from its template, modeless so a test can drive it with messages.
HWND CreateMainDialog();
// Ends it as the user would (IDOK or IDCANCEL), then destroys it, which saves the settings.
void CloseMainDialog(HWND dialog, int how = IDCANCEL);
// Handles what is queued for this thread's windows.
void PumpMessages();

// Which row icon resource an image shows (by its pixels), 0 for no image, -1 for another.
int IconResourceOf(HICON icon);
int ButtonImage(HWND dialog, int id);
int StatusImage(HWND dialog, int row);

// Rectangle of control id in the dialog's client area, and a rectangle in dialog units
// converted to pixels the way the platform places template controls.
RECT ControlPixels(HWND dialog, int id);
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height);
int DialogUnitsToPixelsY(HWND dialog, int y);
int ClientHeight(HWND dialog);

// The three check states of a row as "100", "010", "001" or "000".
std::string RowChecks(HWND dialog, int row);
