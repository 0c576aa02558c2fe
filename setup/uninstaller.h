// The "/u" uninstaller: registry removal and a self-deleting script that removes
// the executable and its folder once the program has ended.
#pragma once
#include <windows.h>

// In the temporary folder; a numbered variant while the name is taken.
constexpr char UninstallScriptName[] = "__UNINST.BAT";

// Asks message 123; on Yes writes the script and starts it suspended and hidden,
// removes the registry entries, then lets the script run. A script that cannot
// name the program exactly, or be written or started, or keys of the installation
// that cannot be deleted, remove nothing: message 125. An all-users installation
// without the rights to the machine's keys is removed through RemoveForAllUsers in
// a copy run through the consent prompt. Does nothing when "InstFlag" is missing or
// 0, unless the machine's uninstall entry names this very file.
void RunUninstall();

// The copy run through the consent prompt: removes the all-users keys, then starts
// the script for this file; false after telling the user, with nothing removed.
// Touches nothing of HKEY_CURRENT_USER.
bool RemoveForAllUsers();

