#include "zone/zone_policy.h"

#include <urlmon.h>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "zone/option_catalogue.h"

namespace {

constexpr DWORD InternetZone = URLZONE_INTERNET;
constexpr CLSID ZoneManagerClass = {0x7B8A2D95, 0x0AC9, 0x11D1, {0x89, 0x6C, 0x00, 0xC0, 0x4F, 0xB6, 0xBF, 0xC4}};
constexpr IID ZoneManagerInterface = {0x79EAC9EF, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
// Where the platform keeps the current user's zone 3 policies, one REG_DWORD per action.
constexpr char InternetZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

static_assert(sizeof(ZONEATTRIBUTES) == 1460, "the platform's zone attribute record");

using ZoneManager = ComPtr<IInternetZoneManager>;

// Each call gets its own manager; none lives from one call to the next.
ZoneManager CreateZoneManager(HWND dialog)
{
    void* manager = nullptr;
    if (FAILED(CoCreateInstance(ZoneManagerClass, nullptr, CLSCTX_INPROC_SERVER, ZoneManagerInterface, &manager)) ||
        !manager) {
        ShowWarning(dialog, IDS_NO_ZONE_MANAGER);
        return nullptr;
    }
    return ZoneManager(static_cast<IInternetZoneManager*>(manager));
}

int RowFirstButton(int row)
{
    return IDC_FIRST_BUTTON + 3 * row;
}

// A policy that is none of the three choices leaves the row unchecked. A radio button is
// a tab stop only while checked, so the row's Enable button then takes the stop: Tab and
// the label's mnemonic reach this row, not the next, whose setting the arrows would change.
void CheckChoice(HWND dialog, int firstButton, DWORD policy)
{
    bool chosen = false;
    for (int c = 0; c < ChoiceCount; ++c) {
        const bool match = policy == PolicyChoices[c].policy;
        CheckDlgButton(dialog, firstButton + c, match ? BST_CHECKED : BST_UNCHECKED);
        chosen |= match;
    }
    HWND enable = GetDlgItem(dialog, firstButton);
    if (!chosen)
        SetWindowLongPtrA(enable, GWL_STYLE, GetWindowLongPtrA(enable, GWL_STYLE) | WS_TABSTOP);
}

// The row's checked choice, or -1 when none is checked.
int CheckedChoice(HWND dialog, int firstButton)
{
    for (int c = 0; c < ChoiceCount; ++c)
        if (IsDlgButtonChecked(dialog, firstButton + c) == BST_CHECKED)
            return c;
    return -1;
}

// Stores the policy where the platform reads it, for zone managers that cannot
// write single policies (Wine's answers E_NOTIMPL).
bool StorePolicyInZoneKey(DWORD action, DWORD policy)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, InternetZoneKey, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    UniqueKey key(opened);
    char name[16];
    wsprintfA(name, "%X", action);
    return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&policy), sizeof policy) ==
           ERROR_SUCCESS;
}

bool WritePolicy(IInternetZoneManager* manager, DWORD action, DWORD policy)
{
    const HRESULT result = manager->SetZoneActionPolicy(InternetZone, action, reinterpret_cast<BYTE*>(&policy),
                                                        sizeof policy, URLZONEREG_HKCU);
    if (result == E_NOTIMPL)
        return StorePolicyInZoneKey(action, policy);
    return SUCCEEDED(result);
}

} // namespace

bool LoadZonePolicies(HWND dialog)
{
    ZoneManager manager = CreateZoneManager(dialog);
    ZoneOption* rows[RowCount];
    const int shown = GetVisibleRows(rows);
    for (int row = 0; row < shown; ++row) {
        DWORD policy = ~0u;
        // A policy that cannot be read, every one without a zone manager, leaves the row unchecked:
        // after an Options OK its check was another setting's, which OK would otherwise write for this one.
        if (manager && FAILED(manager->GetZoneActionPolicy(InternetZone, rows[row]->urlAction,
                                                           reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                                           URLZONEREG_HKCU))) {
            policy = ~0u;
            ShowWarning(dialog, IDS_GET_POLICY);
        }
        CheckChoice(dialog, RowFirstButton(row), policy);
    }
    return manager != nullptr;
}

bool ApplyZonePolicies(HWND dialog)
{
    ZoneManager manager = CreateZoneManager(dialog);
    if (!manager)
        return false;

    // The zone becomes custom on every OK, before any policy is written.
    ZONEATTRIBUTES attributes = {};
    attributes.cbSize = sizeof attributes;
    if (FAILED(manager->GetZoneAttributes(InternetZone, &attributes))) {
        ShowWarning(dialog, IDS_GET_ATTRIBUTES);
        return false;
    }
    attributes.dwTemplateCurrentLevel = URLTEMPLATE_CUSTOM;
    if (FAILED(manager->SetZoneAttributes(InternetZone, &attributes))) {
        ShowWarning(dialog, IDS_SET_ATTRIBUTES);
        return false;
    }

    ZoneOption* rows[RowCount];
    const int shown = GetVisibleRows(rows);
    for (int row = 0; row < shown; ++row) {
        const int choice = CheckedChoice(dialog, RowFirstButton(row));
        if (choice >= 0 && !WritePolicy(manager.get(), rows[row]->urlAction, PolicyChoices[choice].policy))
            ShowWarning(dialog, IDS_SET_POLICY);
    }
    return true;
}
