// Who may change what Brindle installs: the access list a folder of ours is created
// with, and the test that a folder or file there before must pass.
#pragma once
#include <windows.h>

#include "app/handles.h"

enum class FolderAccess {
    AllUsers,         // SYSTEM and Administrators change it; all users read and run it
    CurrentUser,      // SYSTEM, Administrators and this process's user; nobody else anything
    Administrators,   // SYSTEM and Administrators only
};

// A protected access list (nothing inherited from the parent folder), passed on to
// everything created below; empty when it cannot be made.
LocalSecurity MakeFolderSecurity(FolderAccess access);

// True when path is no reparse point (a junction or symbolic link, which someone
// could point elsewhere) and only SYSTEM, Administrators, TrustedInstaller and, for
// CurrentUser, this process's user may change it or what is created in it: its owner
// and every grant of a right to write, delete or change access are theirs. For all
// users the account is trusted only where it has no programs without its rights (no
// consent prompt elevated it), which could change what it owns.
bool OnlyTrustedMayChange(const char* path, FolderAccess access);
