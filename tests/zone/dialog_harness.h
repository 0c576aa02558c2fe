// The real main dialog, created from its template and driven in-process.
#pragma once
#include <windows.h>
#include <string>

#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"
#include "zone/fake_zone_manager.h"

// A sandboxed registry, the recording zone manager and the message catcher, with
// the shown settings of a first start.
struct ZoneFixture {
    ZoneFixture();
    RegistrySandbox sandbox;
    FakeZoneManagerRegistration zone;
    MessageBoxCatcher messages;
};

// The catalogue's shown flags (bit i = entry i), as at process start.
void ResetShownSettings(DWORD mask = 1u << 3);
// Modeless, so a test can drive it with messages; never shown, but told it is.
HWND CreateMainDialog();
// Ends it as the user would (IDOK or IDCANCEL), then destroys it, which saves the settings.
void CloseMainDialog(HWND dialog, int how = IDCANCEL);
void PumpMessages();
// Which row icon a button or padlock shows: its index in the dialog's table, -1 for none.
int ImageOf(HWND dialog, int id);
// The three check states of a row as "100", "010", "001" or "000".
std::string RowChecks(HWND dialog, int row);
// The control's rectangle in the client area, and dialog units down as pixels.
RECT ControlRect(HWND dialog, int id);
int UnitsDown(HWND dialog, int units);
