// The real main dialog, created from its template and driven in-process, against
// Wine's own zone manager in a sandboxed registry.
#pragma once
#include <urlmon.h>
#include <set>
#include <string>

#include "support/message_box_catcher.h"
#include "support/sandbox.h"

constexpr char ZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

// The fonts, brushes, images and global blocks the product makes while this lives, less those it frees.
struct MadeHandles {
    MadeHandles();
    std::set<HANDLE> live;
    ImportPatch patches[7];
};

// A sandboxed registry with zone 3 at Medium and every setting on Prompt, the
// message catcher, and the shown settings of a first start.
struct ZoneFixture {
    ZoneFixture();
    RegistrySandbox sandbox;
    MessageBoxCatcher messages;
};

// The user's zone 3 policy of action; PolicyOf answers ~0u when none is stored.
void SetPolicy(DWORD action, DWORD policy);
DWORD PolicyOf(DWORD action);

// The catalogue's shown flags (bit i = entry i), as at process start.
void ResetShownSettings(DWORD mask = 1u << 3);
// Modeless, so a test can drive it with messages; never shown, but told it is.
HWND CreateMainDialog();
// Ends it as the user would (IDOK or IDCANCEL), then destroys it, which saves the settings.
void CloseMainDialog(HWND dialog, int how = IDCANCEL);
void PumpMessages();
// The three check states of a row as "100", "010", "001" or "000".
std::string RowChecks(HWND dialog, int row);
// What the main window shows of its rows, as a user reads them: each shown row's label and choice (the checked
// button, or "nothing"), "; " between rows. Told in brackets: a button image or a padlock (its image, name or
// showing) that does not follow the row's check, a label cut short, a control of a hidden row left showing.
std::string ShownRows(HWND dialog);
