#include "zone/row_aids.h"

#include <commctrl.h>
#include <windowsx.h>
#include <cstring>

#include "app/resource.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"

namespace {

int ChoiceOf(int buttonId)
{
    return (buttonId - IDC_FIRST_BUTTON) % ChoiceCount;
}

void AddTool(HWND tooltip, HWND button, const char* text)
{
    TOOLINFOA tool = {};
    // Up to lParam: comctl32 before version 6 refuses any larger record.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = button;
    GetClientRect(button, &tool.rect);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// The capture lets the button see the move that takes the pointer out of it.
void TrackHover(HWND button, LPARAM lParam)
{
    const int choice = ChoiceOf(GetDlgCtrlID(button));
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(button, &client);
    const bool inside = PtInRect(&client, point), captured = GetCapture() == button;
    if (inside && !captured) {
        SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(RowIcon(choice)));
        SetCapture(button);
    } else if (!inside && captured) {
        SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(RowIcon(choice + GreyIcons)));
        ReleaseCapture();
    }
}

// comctl32 is no known DLL: loaded by its full path in the system folder, never
// the copy a web page may have dropped beside a downloaded executable.
void RegisterToolTipClass()
{
    char path[MAX_PATH + sizeof "\\comctl32.dll"];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::strcat(path, "\\comctl32.dll");
    HMODULE library = LoadLibraryA(path);   // kept: the tooltip class lives in it
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitControls>(
        reinterpret_cast<void*>(library ? GetProcAddress(library, "InitCommonControlsEx") : nullptr));
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    if (init)
        init(&classes);
}

} // namespace

void AddRowTooltips(HWND dialog)
{
    RegisterToolTipClass();
    HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    for (int id = IDC_FIRST_BUTTON; id <= IDC_LAST_BUTTON; ++id) {
        HWND button = GetDlgItem(dialog, id);
        const char* name = PolicyChoices[ChoiceOf(id)].name;
        // An icon button draws no text, so the name changes nothing on screen.
        SetWindowTextA(button, name);
        AddTool(tooltip, button, name);
    }
}

bool SubclassRowButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    const LONG_PTR previous = GetWindowLongPtrA(button, GWLP_WNDPROC);
    if (!previous)
        return false;
    SetWindowLongPtrA(button, GWLP_USERDATA, previous);
    SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RowButtonHoverProc));
    return true;
}

LRESULT CALLBACK RowButtonHoverProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A checked button already shows its colour image.
    if (message == WM_MOUSEMOVE && SendMessageA(button, BM_GETCHECK, 0, 0) != BST_CHECKED)
        TrackHover(button, lParam);
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_USERDATA));
    return CallWindowProcA(previous, button, message, wParam, lParam);
}
