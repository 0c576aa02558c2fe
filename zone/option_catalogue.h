// The ten Internet-zone settings Brindle can show, the three choices of a row,
// and the stored view settings (shown settings, window placement).
#pragma once
#include <windows.h>

struct ZoneOption {
    const char* label;   // row label with its "&" mnemonic and trailing ":"
    DWORD urlAction;     // URL action code of zone 3
    DWORD visible;       // 1 when shown as a row, else 0
};

struct PolicyChoice {
    const char* name;    // also the row button's tooltip
    DWORD policy;        // zone policy value
};

constexpr int OptionCount = 10;
constexpr int RowCount = 10;         // rows of the main dialog
constexpr int ChoiceCount = 3;

// Catalogue order is row order and the bit order of "Options".
extern ZoneOption OptionCatalogue[OptionCount];

// Enable, Prompt, Disable: the order of a row's three buttons.
constexpr PolicyChoice PolicyChoices[ChoiceCount] = {
    {"Enable", 0},    // URLPOLICY_ALLOW
    {"Prompt", 1},    // URLPOLICY_QUERY
    {"Disable", 3},   // URLPOLICY_DISALLOW
};

// Fills rows[k] with the k-th visible entry, in catalogue order; returns how many
// rows are shown.
int GetVisibleRows(ZoneOption* rows[RowCount]);

// Applies the stored flags to the catalogue and the stored placement to dialog.
void LoadViewSettings(HWND dialog);
// Stores the flags and dialog's placement.
void SaveViewSettings(HWND dialog);
