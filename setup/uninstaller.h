// The "/u" uninstaller: registry removal and a self-deleting script that removes
// the executable and its folder once the program has ended.
#pragma once
#include <windows.h>
#include <cstddef>

constexpr char UninstallScriptName[] = "__UNINST.BAT";
// Room for the script of any two paths shorter than MAX_PATH, every % doubled.
constexpr std::size_t UninstallScriptSize = 2304;

// Asks message 123; on Yes removes the registry entries, then writes and starts
// the script hidden. Does nothing when "InstFlag" is missing or 0.
void RunUninstall();

// Deletes subKey of root with all its subkeys; ERROR_SUCCESS, or the first error met.
LONG DeleteKeyTree(HKEY root, const char* subKey);

// The script's bytes for the executable at exePath, deleting itself at scriptPath:
// every line ends in CR LF, no terminator is counted. Returns the byte count, or 0
// when a path is not shorter than MAX_PATH or size is below UninstallScriptSize.
std::size_t ComposeUninstallScript(const char* exePath, const char* scriptPath, char* script, std::size_t size);
