#include "zone/main_dialog.h"

#include "app/brindle.h"
#include "app/resource.h"
#include "controls/dpi.h"
#include "controls/hyperlink.h"
#include "zone/option_catalogue.h"
#include "zone/options_dialog.h"
#include "zone/row_aids.h"
#include "zone/row_images.h"
#include "zone/row_layout.h"
#include "zone/zone_policy.h"

namespace {

// The notice's own font and the smaller one it shows while the dialog lives.
HFONT g_noticeFont;
HFONT g_smallPrintFont;

// The display scale the dialog was made at and the one it is drawn at now (DPI), the
// controls' font for the latter when the two differ, and the program icon drawn for it.
UINT g_createdDpi;
UINT g_dpi;
HFONT g_scaledFont;
HICON g_programIcon;

// Posted at the dialog's showing, for the work that can wait until it has painted.
constexpr UINT WM_AFTER_SHOWING = WM_APP;

int ShownRowCount()
{
    ZoneOption* rows[RowCount];
    return GetVisibleRows(rows);
}

// The static after the notice, which has no id of its own.
HWND ProgramIconControl(HWND dialog)
{
    return GetWindow(GetDlgItem(dialog, IDC_NOTICE), GW_HWNDNEXT);
}

// Drawn for the dialog's scale rather than the size the template loads.
void ShowProgramIcon(HWND dialog)
{
    HICON previous = g_programIcon;
    g_programIcon = LoadIconForDpi(IDI_PROGRAM, 32, g_dpi);
    SendMessageA(ProgramIconControl(dialog), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(g_programIcon));
    if (previous)
        DestroyIcon(previous);
}

// The icons, the shown rows' padlocks and the layout; the other padlocks wait
// until the window shows, which comes before any Options OK can show their rows.
void InitRowIcons(HWND dialog)
{
    LoadRowIcons(g_dpi);
    ShowProgramIcon(dialog);
    PlacePadlocks(dialog, 0, ShownRowCount());
    LayoutRows(dialog);
}

// Each shown row's button images and padlock, as its check states have them.
void ShowRowImages(HWND dialog)
{
    const int shown = ShownRowCount();
    for (int row = 0; row < shown; ++row)
        UpdateRowImages(dialog, IDC_FIRST_BUTTON + ChoiceCount * row);
}

// A failed load leaves every row as it was: no images, the closed padlocks.
void LoadRowsFromZone(HWND dialog)
{
    if (LoadZonePolicies(dialog))
        ShowRowImages(dialog);
}

bool IsRowButton(int id)
{
    return id >= IDC_FIRST_BUTTON && id <= IDC_LAST_BUTTON;
}

// Choices not yet applied are dropped: the rows are read again from the zone, and a
// row that cannot be read shows no choice.
void OnOptions(HWND dialog)
{
    if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), dialog, OptionsDlgProc, 0) != IDOK)
        return;
    LayoutRows(dialog);
    LoadZonePolicies(dialog);
    ShowRowImages(dialog);
}

// Windows 10 from version 1703 would scale the dialog's controls itself on a change of
// display scale; Brindle does, the same way on every Windows that tells of one.
void TakeOverScaling(HWND dialog)
{
    using SetBehaviour = BOOL(WINAPI*)(HWND, int, int);
    constexpr int DialogManagerScalesNothing = 1;   // DDC_DISABLE_ALL
    if (const auto set = NewerUserFunction<SetBehaviour>("SetDialogDpiChangeBehavior"))
        set(dialog, DialogManagerScalesNothing, DialogManagerScalesNothing);
}

void OnInitDialog(HWND dialog)
{
    g_createdDpi = g_dpi = WindowDpi(dialog);
    TakeOverScaling(dialog);
    LoadViewSettings(dialog);
    InitRowIcons(dialog);
    LoadRowsFromZone(dialog);
    SubclassHyperlink(dialog, IDC_LINK, IDCUR_HAND);
    ApplySmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &g_noticeFont, &g_smallPrintFont, g_dpi);
}

// The dialog's font as the dialog manager makes it at dpi: its size in points, rounded.
HFONT CreateScaledFont(HWND dialog, UINT dpi)
{
    LOGFONTA look = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof look, &look);
    look.lfHeight = -MulDiv(MulDiv(look.lfHeight < 0 ? -look.lfHeight : look.lfHeight, 72, g_createdDpi), dpi, 72);
    return CreateFontIndirectA(&look);
}

// Moved to a monitor of another scale: the window takes the place Windows suggests,
// the controls and their font scale, and the images are drawn for the new scale.
void OnDpiChanged(HWND dialog, UINT dpi, const RECT& suggested)
{
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND notice = GetDlgItem(dialog, IDC_NOTICE);
    RestoreSmallPrintFont(notice, &g_noticeFont, &g_smallPrintFont);
    HFONT previous = g_scaledFont;
    g_scaledFont = dpi == g_createdDpi ? nullptr : CreateScaledFont(dialog, dpi);
    const HFONT font = g_scaledFont ? g_scaledFont : reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ScaleControls(dialog, g_dpi, dpi, font);
    if (previous)   // no control shows it any more
        DeleteObject(previous);
    g_dpi = dpi;
    if (!RowIcon(LockedIcon))   // still in WM_INITDIALOG, which draws everything at this scale
        return;
    ApplySmallPrintFont(notice, &g_noticeFont, &g_smallPrintFont, dpi);
    LoadRowIcons(dpi);
    ShowProgramIcon(dialog);
    PlacePadlocks(dialog, 0, RowCount);
    ShowRowImages(dialog);
    FitRowTooltips(dialog);
    LayoutRows(dialog);
    // The controls moved without repainting; each draws once, in its new font.
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The hidden padlocks and the row aids wait for the window: no pointer can rest
// on a button before it shows, and the window shows and paints that much sooner.
void OnShowWindow(HWND dialog, BOOL shown)
{
    if (shown)
        PostMessageA(dialog, WM_AFTER_SHOWING, 0, 0);
}

void OnAfterShowing(HWND dialog)
{
    // Once: a later showing finds the hover procedure in place.
    const auto hover = reinterpret_cast<LONG_PTR>(RowButtonHoverProc);
    if (GetWindowLongPtrA(GetDlgItem(dialog, IDC_FIRST_BUTTON), GWLP_WNDPROC) == hover)
        return;
    UpdateWindow(dialog);   // the first paint before the aids, not after them
    PlacePadlocks(dialog, ShownRowCount(), RowCount);
    // Tooltips first, so the hover procedure is outermost and sees every message.
    AddRowTooltips(dialog);
    for (int id = IDC_FIRST_BUTTON; id <= IDC_LAST_BUTTON; ++id)
        SubclassRowButton(dialog, id);
}

BOOL OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
        ApplyZonePolicies(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_OPTIONS:
        OnOptions(dialog);
        return TRUE;
    }
    if (IsRowButton(id) && code == BN_CLICKED)
        UpdateRowImages(dialog, id);
    else if (IsRowButton(id) && code == BN_DOUBLECLICKED)
        // Posted, so the double-click ends as OK once the click itself is handled.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return FALSE;
}

void OnDestroy(HWND dialog)
{
    RestoreSmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &g_noticeFont, &g_smallPrintFont);
    DestroyRowIcons();
    DestroyIcon(g_programIcon);
    g_programIcon = nullptr;
    if (g_scaledFont)   // the controls go with the dialog; none will draw with it again
        DeleteObject(g_scaledFont);
    g_scaledFont = nullptr;
    SaveViewSettings(dialog);
}

// Windows ends a session without destroying its windows: the view is stored now or never.
void OnEndSession(HWND dialog, BOOL ending)
{
    if (ending)
        SaveViewSettings(dialog);
}

} // namespace

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        OnShowWindow(dialog, static_cast<BOOL>(wParam));
        return FALSE;
    case WM_AFTER_SHOWING:
        OnAfterShowing(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DPICHANGED:
        OnDpiChanged(dialog, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(dialog, static_cast<BOOL>(wParam));
        return FALSE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    }
    return FALSE;
}
