// What the rows read from the zone and write to it, through Wine's own zone manager
// with single methods replaced: as Windows' own, or failing.
#include "support/common.h"

#include <optional>

#include "zone/dialog_harness.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"
#include "zone/zone_policy.h"

namespace {

// Points method `slot` of the zone manager's method table, which every manager of
// the process shares, the product's included, at standIn while it lives.
struct ZoneMethodPatch {
    ZoneMethodPatch(int slot, const void* standIn)
    {
        IInternetZoneManager* manager = nullptr;
        CoCreateInstance(CLSID_InternetZoneManager, nullptr, CLSCTX_INPROC_SERVER, IID_IInternetZoneManager,
                         reinterpret_cast<void**>(&manager));
        method = *reinterpret_cast<void***>(manager) + slot;
        manager->Release();
        DWORD access;
        VirtualProtect(method, sizeof *method, PAGE_READWRITE, &access);
        original = std::exchange(*method, const_cast<void*>(standIn));
    }
    ~ZoneMethodPatch() { *method = original; }
    void** method;
    void* original;
};
enum { GetZoneAttributesSlot = 3, SetZoneAttributesSlot = 4, SetZoneActionPolicySlot = 8 };

HRESULT STDMETHODCALLTYPE FailAttributes(IInternetZoneManager*, DWORD, ZONEATTRIBUTES*) { return E_FAIL; }

HRESULT STDMETHODCALLTYPE FailPolicy(IInternetZoneManager*, DWORD, DWORD, BYTE*, DWORD, URLZONEREG) { return E_FAIL; }

HRESULT WINAPI NoManager(REFCLSID, IUnknown*, DWORD, REFIID, void**) { return REGDB_E_CLASSNOTREG; }

LONG WINAPI DenyWrite(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }

std::string g_written;   // "action=policy " for each write Windows' zone manager takes

HRESULT STDMETHODCALLTYPE WriteAsWindows(IInternetZoneManager*, DWORD zone, DWORD action, BYTE* policy, DWORD size,
                                         URLZONEREG scope)
{
    if (zone != URLZONE_INTERNET || size != sizeof(DWORD) || scope != URLZONEREG_HKCU)
        return E_INVALIDARG;
    char write[32];
    wsprintfA(write, "%lX=%lu ", action, *reinterpret_cast<DWORD*>(policy));
    g_written += write;
    return S_OK;
}

} // namespace

TEST_CASE("each zone manager failure is told with its own message, and what it stops stays undone")
{
    const struct {
        int slot;   // the failing method; 0: no stored Active scripting; -1: no zone manager; -2: Wine's zone key write refused
        const void* standIn;
        bool applied;
        std::vector<UINT> messages;   // the load's, then the apply's
        const char* rows;             // after the load; both were clicked to Prompt before
        DWORD written;                // Active scripting after Prompt is chosen and applied
    } cases[] = {
        {GetZoneAttributesSlot, reinterpret_cast<const void*>(FailAttributes), false, {IDS_GET_ATTRIBUTES}, "100001", URLPOLICY_ALLOW},
        {SetZoneAttributesSlot, reinterpret_cast<const void*>(FailAttributes), false, {IDS_SET_ATTRIBUTES}, "100001", URLPOLICY_ALLOW},
        {0, nullptr, true, {IDS_GET_POLICY}, "010001", URLPOLICY_QUERY},   // the other row is still read
        {SetZoneActionPolicySlot, reinterpret_cast<const void*>(FailPolicy), true, {IDS_SET_POLICY, IDS_SET_POLICY}, "100001", URLPOLICY_ALLOW},
        {-1, reinterpret_cast<const void*>(NoManager), false, {IDS_NO_ZONE_MANAGER, IDS_NO_ZONE_MANAGER}, "010010", URLPOLICY_ALLOW},
        {-2, reinterpret_cast<const void*>(DenyWrite), true, {IDS_SET_POLICY, IDS_SET_POLICY}, "100001", URLPOLICY_ALLOW},
    };
    const char* const platform[][2] = {{"ole32", "CoCreateInstance"}, {"advapi32", "RegSetValueExA"}};   // -1, -2
    for (const auto& c : cases) {
        CAPTURE(c.slot);
        ZoneFixture fixture;
        ResetShownSettings((1 << 3) | (1 << 4));
        SetPolicy(0x1400, URLPOLICY_ALLOW);
        SetPolicy(0x1402, URLPOLICY_DISALLOW);
        HWND dialog = CreateMainDialog();
        std::optional<ZoneMethodPatch> method;
        std::optional<ImportPatch> creation;
        if (c.slot > 0)
            method.emplace(c.slot, c.standIn);
        else if (c.slot < 0)
            creation.emplace(platform[-c.slot - 1][0], platform[-c.slot - 1][1], c.standIn);
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, ZoneKey, "1400");
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 1, BM_CLICK, 0, 0);   // Prompt in both rows
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 4, BM_CLICK, 0, 0);
        CHECK((LoadZonePolicies(dialog) == (c.slot != -1) && RowChecks(dialog, 0) + RowChecks(dialog, 1) == c.rows));
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 1, BM_CLICK, 0, 0);
        CHECK((ApplyZonePolicies(dialog) == c.applied && PolicyOf(0x1400) == c.written));
        REQUIRE(fixture.messages.caught.size() == c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i) {
            const CaughtMessage& box = fixture.messages.caught[i];
            CHECK((box.text == MessageText(c.messages[i]) && box.caption == "Brindle" &&
                   box.type == (MB_OK | MB_ICONEXCLAMATION) && box.owner == dialog));
        }
        CloseMainDialog(dialog);
    }
}

TEST_CASE_FIXTURE(ZoneFixture, "OK or a double-click writes every checked row and makes the zone custom")
{
    const DWORD policies[] = {URLPOLICY_ALLOW, 2, URLPOLICY_DISALLOW, URLPOLICY_QUERY};
    ResetShownSettings(0xF);
    for (int row = 0; row < 4; ++row)
        SetPolicy(OptionCatalogue[row].urlAction, policies[row]);
    const ZoneMethodPatch windows(SetZoneActionPolicySlot, reinterpret_cast<const void*>(WriteAsWindows));
    HWND dialog = CreateMainDialog();
    SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 2, BM_CLICK, 0, 0);   // Disable in the Enable row
    CHECK(RowChecks(dialog, 0) + RowChecks(dialog, 1) + RowChecks(dialog, 2) + RowChecks(dialog, 3) == "001000001010");
    CHECK((SendDlgItemMessageA(dialog, IDC_FIRST_STATUS, STM_GETIMAGE, IMAGE_ICON, 0) == LRESULT(RowIcon(LockedIcon)) &&
           !SendDlgItemMessageA(dialog, IDC_FIRST_STATUS + 1, STM_GETIMAGE, IMAGE_ICON, 0)));   // closed; none: gone
    // Only buttons that notify report double-clicks.
    CHECK((GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_BUTTON + 2), GWL_STYLE) & BS_NOTIFY));
    g_written.clear();
    SUBCASE("OK")
    {
        CloseMainDialog(dialog, IDOK);
    }
    SUBCASE("a double-click, as OK once the click is handled")
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FIRST_BUTTON + 2, BN_DOUBLECLICKED), 0);
        CHECK(g_written.empty());
        PumpMessages();
        DestroyWindow(dialog);
    }
    // Changed or not; the row with nothing checked is not written.
    CHECK((g_written == "1001=3 1200=3 1400=1 " && DwordValue(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel") == URLTEMPLATE_CUSTOM));
}
