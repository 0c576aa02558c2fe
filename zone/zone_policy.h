// Moves policies between zone 3 (Internet) and the main dialog's rows.
#pragma once
#include <windows.h>

// Checks each shown row's button from the zone, none in a row whose policy cannot be
// read (every row without a zone manager); false when there is no zone manager.
bool LoadZonePolicies(HWND dialog);

// Marks the zone custom and writes every shown row's checked choice;
// false when the zone manager or its attributes failed (nothing written then).
bool ApplyZonePolicies(HWND dialog);
