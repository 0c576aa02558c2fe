// First-run installer: the gate on "InstFlag", the install dialog (template 131)
// and the installation into the chosen folder.
#pragma once
#include <windows.h>

// Under the scope's root (HKEY_CURRENT_USER for 2, else HKEY_LOCAL_MACHINE).
constexpr char ToolbarButtonKey[] =
    "Software\\Microsoft\\Internet Explorer\\Extensions\\{6C0E52A4-1B7D-4F38-9E21-A5D3C7B1E904}";
constexpr char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BRDL";
constexpr char InstalledFileName[] = "brdl.EXE";

// "InstFlag": 1 all users, 2 current user, 0 not installed.
constexpr DWORD ScopeAllUsers = 1;
constexpr DWORD ScopeCurrentUser = 2;
extern DWORD InstallScope;
// The install folder; it ends with a backslash once the installation has begun.
extern char InstallFolder[MAX_PATH];

// The root of the toolbar-button and uninstall keys for a scope.
inline HKEY ScopeRoot(DWORD scope)
{
    return scope == ScopeCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// True when the main dialog may run: installed already, or installed now; false
// when the user cancelled or the installation failed (the user was told).
bool RunInstallerIfNeeded();

// The copy run through the consent prompt: installs into folder for all users,
// without "InstFlag", touching nothing of HKEY_CURRENT_USER; false after telling
// the user.
bool InstallForAllUsers(const char* folder);

// "InstFlag" of the settings key, or 0 when it cannot be read into 4 bytes.
DWORD ReadInstallScope();
