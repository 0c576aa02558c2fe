// Moves policies between zone 3 (Internet) and the main dialog's rows.
#pragma once
#include <windows.h>

// Checks each shown row's button from the zone; 0 when there is no zone manager.
int LoadZonePolicies(HWND dialog);

// Marks the zone custom and writes every shown row's checked choice; 0 when the
// zone manager or its attributes failed (nothing written then).
int ApplyZonePolicies(HWND dialog);
