// The machine-wide part of an all-users installation or removal, run by a second
// copy of the executable through the consent prompt when this process may not
// write the machine's keys (a limited token, as every double-click gives on
// Windows with UAC).
#pragma once
#include <windows.h>

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

// Starts the running executable through the consent prompt for the machine-wide
// part, installing into folder or, without one, removing; waits for it to end. The
// prompt comes in front of owner, the window in the foreground, when there is one.
ElevatedRun RunElevated(const char* folder, HWND owner);

enum class AllUsersPart { None, Install, Remove };

// The parameters of the copy for installing into folder or, without one, removing;
// false when folder does not fit.
constexpr int AllUsersPartSize = MAX_PATH + 32;
bool WriteAllUsersPart(const char* folder, char (&parameters)[AllUsersPartSize]);

// The part a command line asks of a copy started by RunElevated, read only exactly as
// RunElevated writes it; for Install, *folder points into commandLine, whose closing
// quote is cut.
AllUsersPart ReadAllUsersPart(char* commandLine, const char** folder);
