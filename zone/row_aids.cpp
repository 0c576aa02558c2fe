#include "zone/row_aids.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/resource.h"
#include "app/system_library.h"
#include "zone/option_catalogue.h"
#include "zone/row_images.h"

namespace {

// The dialog's tooltip, whose tools follow the buttons when the display scale changes.
HWND g_tooltip;

int ChoiceOf(int buttonId)
{
    return (buttonId - IDC_FIRST_BUTTON) % ChoiceCount;
}

// A button's tool, the whole of its client area: added, or fitted to it again.
void SendTool(UINT message, HWND button, const char* text)
{
    TOOLINFOA tool = {};
    // Up to lParam: comctl32 before version 6 refuses any larger record.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = button;
    GetClientRect(button, &tool.rect);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(g_tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

// The capture lets the button see the move that takes the pointer out of it. While the
// left button is down the capture also tracks the button's press: a release there
// would lose the click of a pointer that comes back before it lets go.
void TrackHover(HWND button, WPARAM keys, LPARAM lParam)
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
        if (!(keys & MK_LBUTTON))
            ReleaseCapture();
    }
}

// The tooltip class lives in comctl32, which is no known DLL.
void RegisterToolTipClass()
{
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init =
        SystemLibraryFunction<InitControls>(LoadSystemLibrary("comctl32.dll"), "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    if (init)
        init(&classes);
}

} // namespace

void AddRowTooltips(HWND dialog)
{
    RegisterToolTipClass();
    g_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    for (int id = IDC_FIRST_BUTTON; id <= IDC_LAST_BUTTON; ++id) {
        HWND button = GetDlgItem(dialog, id);
        const char* name = PolicyChoices[ChoiceOf(id)].name;
        // An icon button draws no text, so the name changes nothing on screen.
        SetWindowTextA(button, name);
        SendTool(TTM_ADDTOOLA, button, name);
    }
}

void FitRowTooltips(HWND dialog)
{
    for (int id = IDC_FIRST_BUTTON; id <= IDC_LAST_BUTTON; ++id)
        SendTool(TTM_NEWTOOLRECTA, GetDlgItem(dialog, id), nullptr);
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
        TrackHover(button, wParam, lParam);
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_USERDATA));
    return CallWindowProcA(previous, button, message, wParam, lParam);
}
