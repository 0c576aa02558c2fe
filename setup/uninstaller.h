// The "/u" uninstaller: registry removal and a self-deleting script that removes
// the executable and its folder once the program has ended.
#pragma once
#include <windows.h>

// In the temporary folder; a numbered variant while the name is taken.
constexpr char UninstallScriptName[] = "__UNINST.BAT";

// Asks message 123; on Yes writes the script and starts it suspended and hidden,
// removes the registry entries, then lets the script run. A script that cannot
// name the program exactly, or be written or started, removes nothing: message 125.
// Does nothing when "InstFlag" is missing or 0.
void RunUninstall();

// Deletes subKey of root with all its subkeys; ERROR_SUCCESS, or the first error met.
LONG DeleteKeyTree(HKEY root, const char* subKey);

