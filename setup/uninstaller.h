// The "/u" uninstaller: registry removal and a self-deleting script that removes
// the executable and its folder once the program has ended.
#pragma once
#include <windows.h>

// In the temporary folder; a numbered variant while the name is taken.
constexpr char UninstallScriptName[] = "__UNINST.BAT";

// Removes the installation of the scope "InstFlag" names, only when this very file is
// the one its uninstall entry names (else message 125): asks message 123; on Yes
// writes the script and starts it suspended and hidden, removes the registry entries,
// then lets the script run. Keys of the installation that cannot all be deleted, or a
// script that cannot name the program exactly, or be written or started, remove
// nothing: message 125. An all-users installation without the rights to the
// machine's keys is removed through RemoveForAllUsers in a copy run through the
// consent prompt. Does nothing when "InstFlag" is missing or 0, unless the machine's
// uninstall entry names this very file.
void RunUninstall();

// The copy run through the consent prompt: removes the all-users keys, then starts
// the script for this file, when the machine's uninstall entry names it; false after
// telling the user, with nothing removed. Touches nothing of HKEY_CURRENT_USER.
bool RemoveForAllUsers();

// Deletes subKey of root with all its subkeys, depth first; ERROR_SUCCESS, or the
// first error met. The installer's rollback uses it too.
LONG DeleteKeyTree(HKEY root, const char* subKey);

// True when a removal's script could name the installed file in installFolder and
// itself in its folder, in the OEM code page (by short names where needed).
bool CanNameForRemoval(const char* installFolder);

