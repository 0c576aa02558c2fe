// Product constants, the module handle and the one way Brindle tells the user anything.
#pragma once
#include <windows.h>

constexpr char ProductTitle[] = "Brindle";
constexpr char ProductShortName[] = "BRDL";
// HKEY_CURRENT_USER: "Options" and "WinPos" of the main dialog, "InstFlag" of the installer.
constexpr char SettingsKey[] = "Software\\Talvane\\BRDL";

// The executable's own module; dialogs are created from it.
extern HINSTANCE g_instance;

// A message box with string id's text and the caption "Brindle"; returns its result,
// or IDCANCEL without showing anything when the string is missing.
int ShowMessage(HWND owner, UINT id, UINT type);

// Message id with an OK button and the exclamation mark: how every failure is told.
void ShowWarning(HWND owner, UINT id);
