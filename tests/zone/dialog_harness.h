// The real main dialog, created from its template and driven in-process, against Wine's own zone manager.
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

// What ShownRows reads with every row shown and each setting's policy as the fixture stores it.
constexpr char EveryRow[] =
    "&Download signed ActiveX controls: Enable; Download &unsigned ActiveX controls: Prompt; &Run ActiveX controls "
    "and plug-ins: Disable; Active &scripting: Enable; Scripting of &Java programs: Prompt; Scripting of safe "
    "Active&X controls: Disable; Acc&ess data sources across domains: Enable; Display &mixed content: Prompt; Drag "
    "and drop or copy and paste &files: Disable; &Navigate sub-frames across domains: Enable";

// A sandboxed registry with zone 3 at Medium, each setting's policy by its place in the list (Enable, Prompt,
// Disable, Enable...), the message catcher, and the catalogue's shown flags (bit i = entry i) set to shown.
struct ZoneFixture {
    explicit ZoneFixture(DWORD shown = 1u << 3);   // as at a first start
    RegistrySandbox sandbox;
    MessageBoxCatcher messages;
};

void SetPolicy(DWORD action, DWORD policy);   // the user's zone 3 policy of action

// Modeless, so a test can drive it with messages; never shown, but told it is.
HWND CreateMainDialog();
// Ends it with Cancel as the user would, then destroys it, which saves the settings.
void CloseMainDialog(HWND dialog);
void PumpMessages();
bool Showing(HWND control);   // by its style: true also in a window not shown
// What the main window shows of its rows, as a user reads them: each shown row's label and choice (the checked
// button, or "nothing"), "; " between rows. Told in brackets: a button image or a padlock (its image, name, place
// or showing) that does not follow the row's check, a row that Tab from its label does not reach, a control of a
// hidden row left showing.
std::string ShownRows(HWND dialog);
