#include "zone/option_catalogue.h"

#include "app/brindle.h"
#include "app/handles.h"

// Mutable: the shown flags follow the stored Options and the options dialog.
ZoneOption OptionCatalogue[OptionCount] = {
    {"&Download signed ActiveX controls:", 0x1001, 0},
    {"Download &unsigned ActiveX controls:", 0x1004, 0},
    {"&Run ActiveX controls and plug-ins:", 0x1200, 0},
    {"Active &scripting:", 0x1400, 1},
    {"Scripting of &Java programs:", 0x1402, 0},
    {"Scripting of safe Active&X controls:", 0x1405, 0},
    {"Acc&ess data sources across domains:", 0x1406, 0},
    {"Display &mixed content:", 0x1609, 0},
    {"Drag and drop or copy and paste &files:", 0x1802, 0},
    {"&Navigate sub-frames across domains:", 0x1607, 0},
};

namespace {

constexpr char OptionsValue[] = "Options";
constexpr char PlacementValue[] = "WinPos";
constexpr DWORD ShownSettingsMask = (1u << OptionCount) - 1;

// "WinPos" is stored as the platform's record; 44 bytes on 32- and 64-bit alike.
static_assert(sizeof(WINDOWPLACEMENT) == 44, "stored placement layout");

// Reads a value of exactly size bytes; shorter or longer values do not count.
bool QueryFixedValue(HKEY key, const char* name, void* data, DWORD size)
{
    DWORD read = size;
    return RegQueryValueExA(key, name, nullptr, nullptr, static_cast<BYTE*>(data), &read) == ERROR_SUCCESS &&
           read == size;
}

void ApplyShownSettings(DWORD mask)
{
    // A mask that shows nothing would leave an empty window: keep the defaults.
    if (!(mask & ShownSettingsMask))
        return;
    for (int i = 0; i < OptionCount; ++i)
        OptionCatalogue[i].visible = (mask >> (i % 32)) & 1;
}

// Restores the stored place of the dialog, but never a size or state that would
// leave it unusable: the template decides the width, the layout the height, a
// place whose caption is on no monitor is ignored, and the dialog is never
// restored minimized.
void ApplyPlacement(HWND dialog, WINDOWPLACEMENT placement)
{
    RECT current;
    GetWindowRect(dialog, &current);
    RECT& normal = placement.rcNormalPosition;
    normal.right = normal.left + (current.right - current.left);
    normal.bottom = normal.top + (current.bottom - current.top);
    // The layout then shrinks the window from the bottom: only its caption is sure to stay.
    POINT client = {0, 0};
    ClientToScreen(dialog, &client);
    const RECT caption = {normal.left, normal.top, normal.right, normal.top + (client.y - current.top)};
    if (!MonitorFromRect(&caption, MONITOR_DEFAULTTONULL))
        return;
    placement.length = sizeof placement;
    placement.flags = 0;
    // The dialog box shows itself once laid out; showing it here would flash
    // the template's full height first.
    placement.showCmd = IsWindowVisible(dialog) ? SW_SHOWNORMAL : SW_HIDE;
    SetWindowPlacement(dialog, &placement);
}

} // namespace

int GetVisibleRows(ZoneOption* rows[RowCount])
{
    int shown = 0;
    for (ZoneOption& option : OptionCatalogue) {
        if (shown == RowCount)
            break;
        if (option.visible)
            rows[shown++] = &option;
    }
    return shown;
}

void LoadViewSettings(HWND dialog)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    UniqueKey key(opened);

    DWORD mask;
    if (QueryFixedValue(key.get(), OptionsValue, &mask, sizeof mask))
        ApplyShownSettings(mask);

    WINDOWPLACEMENT placement;
    if (QueryFixedValue(key.get(), PlacementValue, &placement, sizeof placement))
        ApplyPlacement(dialog, placement);
}

void SaveViewSettings(HWND dialog)
{
    DWORD mask = 0;
    for (int i = 0; i < OptionCount; ++i)
        if (OptionCatalogue[i].visible)
            mask |= 1u << (i % 32);

    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(dialog, &placement);

    HKEY created;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SettingsKey, &created) != ERROR_SUCCESS)
        return;
    UniqueKey key(created);
    RegSetValueExA(key.get(), OptionsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mask), sizeof mask);
    RegSetValueExA(key.get(), PlacementValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&placement),
                   sizeof placement);
}
