// The machine-wide part of an all-users installation or removal, run by a second
// copy of the executable through the consent prompt when this process may not
// write the machine's keys (a limited token, as every double-click gives on
// Windows with UAC).
#pragma once
#include <windows.h>

// The switches of that copy, only as RunElevated's callers write them: the install
// switch, a blank and the folder in double quotes; the removal switch alone. Neither
// holds "/u" or "/U".
constexpr char InstallSwitch[] = "/BrdlInstallAllUsers";
constexpr char RemoveSwitch[] = "/BrdlRemoveAllUsers";

// False when writing the machine's keys needs elevation: this process may not
// create a key in the machine's list of installed programs.
bool CanWriteMachineKeys();

// How the copy ends: 0, or this code once it has told the user why it failed. A crash
// or a copy ended from outside gives any other code; 1 is what Task Manager gives.
constexpr int CopySucceeded = 0;
constexpr int CopyFailedAndTold = 0x4252;

enum class ElevatedRun {
    Succeeded,   // the copy ended with CopySucceeded
    Failed,      // with CopyFailedAndTold: the user knows why
    Declined,    // the user declined the consent prompt
    Untold,      // it could not be started, or ended any other way: nobody told the user
};

// True when this process holds an administrator's full token (elevated, or UAC off).
bool IsElevated();

// Starts the running executable with parameters through the consent prompt and
// waits for it to end.
ElevatedRun RunElevated(const char* parameters);
