// What the rows read from the zone and write to it, through Wine's own zone manager
// with single methods replaced: as Windows' own, or failing.
#include "support/common.h"

#include <optional>

#include "zone/dialog_harness.h"
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
    // Active scripting on Enable, Java on Disable in the zone; both clicked to Prompt, then read again (the load's
    // rows), then Active scripting clicked to Prompt and applied (what the zone then holds for it).
    enum Failing { NoStoredPolicy, NoZoneManager, ZoneKeyWrite, GetAttributes, SetAttributes, FailingWrite };
    const struct {
        std::string name;
        Failing failing;
        // What the load returns, the rows after it, its messages; by default the zone's rows read quietly.
        std::string load = "read; Active &scripting: Enable; Scripting of &Java programs: Disable; quiet";
        std::string apply;   // what the apply returns, Active scripting's policy after it, its messages
    } rows[] = {
        {.name = "no stored policy: the row shows nothing, not the choice it showed", .failing = NoStoredPolicy,
         .load = "read; Active &scripting: nothing; Scripting of &Java programs: Disable; told 117",
         .apply = "applied; 1; quiet"},   // the other row is still read
        {.name = "no zone manager: no row shows a choice", .failing = NoZoneManager,
         .load = "not read; Active &scripting: nothing; Scripting of &Java programs: nothing; told 114",
         .apply = "not applied; 0; told 114"},
        {.name = "Wine's zone key refuses the write", .failing = ZoneKeyWrite, .apply = "applied; 0; told 118 118"},
        {.name = "the attributes cannot be read", .failing = GetAttributes, .apply = "not applied; 0; told 115"},
        {.name = "the attributes cannot be written", .failing = SetAttributes, .apply = "not applied; 0; told 116"},
        {.name = "a policy cannot be written", .failing = FailingWrite, .apply = "applied; 0; told 118 118"},
    };
    for (const auto& c : rows) {
        INFO(c.name);
        ZoneFixture fixture((1 << 3) | (1 << 4));
        SetPolicy(0x1402, URLPOLICY_DISALLOW);
        HWND dialog = CreateMainDialog();
        std::optional<ZoneMethodPatch> method;
        std::optional<ImportPatch> platform;
        if (c.failing == NoStoredPolicy)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, ZoneKey, "1400");
        if (c.failing == NoZoneManager)
            platform.emplace("ole32", "CoCreateInstance", NoManager);
        if (c.failing == ZoneKeyWrite)
            platform.emplace("advapi32", "RegSetValueExA", DenyWrite);
        if (c.failing >= GetAttributes)
            method.emplace(c.failing == GetAttributes ? GetZoneAttributesSlot : c.failing == SetAttributes
                           ? SetZoneAttributesSlot : SetZoneActionPolicySlot,
                           c.failing == FailingWrite ? reinterpret_cast<const void*>(FailPolicy)
                                                  : reinterpret_cast<const void*>(FailAttributes));
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 1, BM_CLICK, 0, 0);   // Prompt in both rows
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 4, BM_CLICK, 0, 0);
        const auto told = [&] {   // a warning of the main window's, each; "(not)" after one that is not
            std::string shown = fixture.messages.Shown();
            for (const CaughtMessage& box : fixture.messages.caught)
                shown += box.owner == dialog && box.caption == "Brindle" && box.type == (MB_OK | MB_ICONEXCLAMATION)
                             ? "" : " (not)";
            fixture.messages.caught.clear();
            return shown.empty() ? "quiet" : "told " + shown;
        };
        const bool read = LoadZonePolicies(dialog);
        for (int row = 0; row < 2; ++row)   // as the main window does after a load
            UpdateRowImages(dialog, IDC_FIRST_BUTTON + 3 * row);
        CHECK(std::string(read ? "read; " : "not read; ") + ShownRows(dialog) + "; " + told() == c.load);
        SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 1, BM_CLICK, 0, 0);
        const bool applied = ApplyZonePolicies(dialog);
        const std::string policy = std::to_string(DwordValue(HKEY_CURRENT_USER, ZoneKey, "1400"));
        CHECK(std::string(applied ? "applied; " : "not applied; ") + policy + "; " + told() == c.apply);
        CloseMainDialog(dialog);
    }
}

TEST_CASE("a double-click on a row button ends as OK: every checked row written, the zone custom")
{
    ZoneFixture fixture(0xF);
    SetPolicy(0x1004, 2);   // no choice of a row
    const ZoneMethodPatch windows(SetZoneActionPolicySlot, reinterpret_cast<const void*>(WriteAsWindows));
    HWND dialog = CreateMainDialog();
    SendDlgItemMessageA(dialog, IDC_FIRST_BUTTON + 2, BM_CLICK, 0, 0);   // Disable in the Enable row
    CHECK(ShownRows(dialog) == "&Download signed ActiveX controls: Disable; Download &unsigned ActiveX controls: "
                               "nothing; &Run ActiveX controls and plug-ins: Disable; Active &scripting: Enable");
    // Only buttons that notify report double-clicks.
    CHECK(BS_NOTIFY == (GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_BUTTON + 2), GWL_STYLE) & BS_NOTIFY));
    g_written.clear();
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FIRST_BUTTON + 2, BN_DOUBLECLICKED), 0);
    CHECK(g_written.empty());   // posted: the click is handled first
    PumpMessages();
    DestroyWindow(dialog);
    CHECK(g_written == "1001=3 1200=3 1400=0 ");   // changed or not; the row with nothing checked is not written
    CHECK(DwordValue(HKEY_CURRENT_USER, ZoneKey, "CurrentLevel") == URLTEMPLATE_CUSTOM);
}
