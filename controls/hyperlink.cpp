#include "controls/hyperlink.h"

#include <cstddef>
#include <shellapi.h>
#include <windowsx.h>
#include <type_traits>

#include "app/handles.h"
#include "controls/dpi.h"
#include "controls/subclass.h"

namespace {

// Kept in a movable global block, in the label's property "UrlPointerWndProc".
struct HyperlinkState {
    LONG align;            // style & 3 at the last paint: SS_CENTER, SS_RIGHT or left
    RECT textRect;         // where the text went at the last paint; empty before it
    LONG cursorId;         // cursor resource shown over the text
    WNDPROC prevWndProc;   // the static's own procedure
};

constexpr char PropName[] = "UrlPointerWndProc";

// The block is copied in and out whole, and holds the procedure SetWindowLongPtrA gives.
static_assert(std::is_trivially_copyable<HyperlinkState>::value, "copied with plain assignment");
static_assert(sizeof(WNDPROC) == sizeof(LONG_PTR), "a window procedure fits a LONG_PTR");
static_assert(offsetof(HyperlinkState, prevWndProc) == 6 * sizeof(LONG) &&
                  sizeof(HyperlinkState) == 6 * sizeof(LONG) + sizeof(WNDPROC),
              "six 32-bit members, then the procedure, no padding");

HyperlinkState ReadState(HGLOBAL block)
{
    HyperlinkState state = {};
    if (auto* stored = static_cast<HyperlinkState*>(GlobalLock(block))) {
        state = *stored;
        GlobalUnlock(block);
    }
    return state;
}

void WriteState(HGLOBAL block, const HyperlinkState& state)
{
    if (auto* stored = static_cast<HyperlinkState*>(GlobalLock(block))) {
        *stored = state;
        GlobalUnlock(block);
    }
}

HFONT FontOf(HWND control)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

bool OverText(const HyperlinkState& state, LPARAM lParam)
{
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&state.textRect, point);
}

// Shows the cursor at the size Windows gives cursors at the label's display scale;
// it is loaded again only when that size changes.
void ShowHandCursor(HWND label, LONG cursorId)
{
    static HCURSOR loaded;
    static int loadedSize;
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    const auto forDpi = NewerUserFunction<MetricsForDpi>("GetSystemMetricsForDpi");
    const int size = forDpi ? forDpi(SM_CXCURSOR, WindowDpi(label)) : GetSystemMetrics(SM_CXCURSOR);
    HCURSOR previous = nullptr;
    if (!loaded || size != loadedSize) {
        previous = loaded;
        loaded = static_cast<HCURSOR>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LOWORD(cursorId)), IMAGE_CURSOR, size, size, 0));
        loadedSize = size;
    }
    SetCursor(loaded);
    if (previous)   // destroyed once no longer shown
        DestroyCursor(previous);
}

void OpenLink(HWND label)
{
    const int size = GetWindowTextLengthA(label) + 1;
    HeapBuffer address = AllocateBuffer(size);
    if (!address)
        return;
    GetWindowTextA(label, address.get(), size);
    ShellExecuteA(GetParent(label), "open", address.get(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Draws label's text underlined at the top of dc and records where it went in state.
void PaintHyperlink(HWND label, HDC dc, HyperlinkState* state)
{
    LOGFONTA look = {};
    GetObjectA(FontOf(label), sizeof look, &look);
    look.lfUnderline = TRUE;
    HFONT underlined = CreateFontIndirectA(&look);
    const int size = GetWindowTextLengthA(label) + 1;
    HeapBuffer text = AllocateBuffer(size);
    if (!text) {
        DeleteObject(underlined);
        return;
    }
    const int length = GetWindowTextA(label, text.get(), size);
    HGDIOBJ oldFont = SelectObject(dc, underlined);
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);

    state->align = static_cast<LONG>(GetWindowLongPtrA(label, GWL_STYLE) & 3);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.get(), length, &extent);
    RECT client;
    GetClientRect(label, &client);
    const LONG width = client.right;
    if (state->align & SS_CENTER) {
        const LONG margin = (width - extent.cx) / 2;
        state->textRect = {margin, 0, width - margin, extent.cy};
    } else if (state->align & SS_RIGHT) {
        state->textRect = {width - extent.cx, 0, width, extent.cy};
    } else {
        state->textRect = {0, 0, extent.cx, extent.cy};
    }
    TextOutA(dc, state->textRect.left, 0, text.get(), length);

    SelectObject(dc, oldFont);
    DeleteObject(underlined);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void OnPaint(HWND label, HGLOBAL block, HyperlinkState* state)
{
    PAINTSTRUCT paint;
    if (HDC dc = BeginPaint(label, &paint)) {
        PaintHyperlink(label, dc, state);
        EndPaint(label, &paint);
        WriteState(block, *state);
    }
}

LRESULT CALLBACK UrlPointerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HGLOBAL block = GetPropA(hwnd, PropName);
    if (!block)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    HyperlinkState state = ReadState(block);
    switch (msg) {
    case WM_PAINT:
        OnPaint(hwnd, block, &state);
        return 0;
    case WM_SETCURSOR:
        // Answered here, so the class arrow never replaces the hand.
        return TRUE;
    case WM_MOUSEMOVE:
        if (OverText(state, lParam))
            ShowHandCursor(hwnd, state.cursorId);
        else
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        break;
    case WM_LBUTTONDOWN:
        // Held until the release, which opens the link only if it comes back here.
        SetCapture(hwnd);
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) {
            ReleaseCapture();
            if (OverText(state, lParam))
                OpenLink(hwnd);
        }
        break;
    case WM_NCDESTROY:
        GlobalFree(RemovePropA(hwnd, PropName));
        break;
    }
    return CallWindowProcA(state.prevWndProc, hwnd, msg, wParam, lParam);
}

} // namespace

bool SubclassHyperlink(HWND dialog, int controlId, int cursorId)
{
    HWND label = GetDlgItem(dialog, controlId);
    const LONG_PTR previous = label ? GetWindowLongPtrA(label, GWLP_WNDPROC) : 0;
    if (!previous)
        return false;
    // State first: when it cannot be stored, the static keeps its own procedure.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(HyperlinkState));
    if (!block)
        return false;
    HyperlinkState state = {};
    state.cursorId = cursorId;
    state.prevWndProc = reinterpret_cast<WNDPROC>(previous);
    WriteState(block, state);
    return GraftProcedure(label, PropName, block, UrlPointerWndProc);
}

void ApplySmallPrintFont(HWND control, HFONT* savedFont, HFONT* smallFont, UINT dpi)
{
    *smallFont = nullptr;
    *savedFont = FontOf(control);
    if (!*savedFont)
        return;
    LOGFONTA look = {};
    GetObjectA(*savedFont, sizeof look, &look);
    // Positive heights are cell heights, negative ones character heights: both shrink.
    const LONG smaller = MulDiv(2, dpi, DefaultDpi);
    look.lfHeight += look.lfHeight > 0 ? -smaller : smaller;
    look.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    *smallFont = CreateFontIndirectA(&look);
    if (*smallFont)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(*smallFont), TRUE);
}

void RestoreSmallPrintFont(HWND control, HFONT* savedFont, HFONT* smallFont)
{
    if (*smallFont) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(*savedFont), TRUE);
        DeleteObject(*smallFont);
    }
    *savedFont = nullptr;
    *smallFont = nullptr;
}
