// The start-up floor for `make bench`: only the work Brindle cannot avoid before
// its main window shows. COM and the zone manager with the ten policies read,
// the common controls and one tooltip, the eight row icons, and the dialog from
// template 101 (or, with BRDL_FLOOR_BARE, a trivial dialog without controls).
#include <windows.h>
#include <commctrl.h>
#include <urlmon.h>

#include "app/resource.h"

namespace {

constexpr CLSID ZoneManagerClass = {0x7B8A2D95, 0x0AC9, 0x11D1, {0x89, 0x6C, 0x00, 0xC0, 0x4F, 0xB6, 0xBF, 0xC4}};
constexpr IID ZoneManagerInterface = {0x79EAC9EF, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
// The action codes of zone/option_catalogue.cpp.
constexpr DWORD Actions[] = {0x1001, 0x1004, 0x1200, 0x1400, 0x1402, 0x1405, 0x1406, 0x1609, 0x1802, 0x1607};
constexpr WORD RowIcons[] = {IDI_ENABLE,     IDI_PROMPT,      IDI_DISABLE, IDI_ENABLE_OFF,
                             IDI_PROMPT_OFF, IDI_DISABLE_OFF, IDI_LOCKED,  IDI_UNLOCKED};

void ReadPolicies()
{
    void* created = nullptr;
    if (FAILED(CoCreateInstance(ZoneManagerClass, nullptr, CLSCTX_INPROC_SERVER, ZoneManagerInterface, &created)))
        return;
    auto* manager = static_cast<IInternetZoneManager*>(created);
    for (DWORD action : Actions) {
        DWORD policy = 0;
        manager->GetZoneActionPolicy(URLZONE_INTERNET, action, reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                     URLZONEREG_HKCU);
    }
    manager->Release();
}

INT_PTR CALLBACK FloorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    static HICON icons[8];
    switch (message) {
    case WM_INITDIALOG: {
        HINSTANCE module = GetModuleHandleA(nullptr);
        for (int i = 0; i < 8; ++i)
            icons[i] = static_cast<HICON>(
                LoadImageA(module, MAKEINTRESOURCEA(RowIcons[i]), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        ReadPolicies();
        const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, module, nullptr);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        for (HICON icon : icons)
            DestroyIcon(icon);
        return FALSE;
    }
    return FALSE;
}

#ifdef BRDL_FLOOR_BARE
// A dialog with a caption and nothing in it, the size of a one-row main window.
struct BareTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass;
    WCHAR title[6];
};
alignas(4) const BareTemplate Bare = {
    {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 0, 0, 0, 0, 257, 66}, 0, 0, L"Floor"};
#endif

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CoInitialize(nullptr);
#ifdef BRDL_FLOOR_BARE
    DialogBoxIndirectParamA(instance, &Bare.header, nullptr, FloorDlgProc, 0);
#else
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, FloorDlgProc, 0);
#endif
    CoUninitialize();
    return 0;
}
