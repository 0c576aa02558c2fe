#include "zone/main_dialog.h"

#include "app/brindle.h"
#include "app/resource.h"
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

// Posted at the dialog's showing, for the work that can wait until it has painted.
constexpr UINT WM_AFTER_SHOWING = WM_APP;

int ShownRowCount()
{
    ZoneOption* rows[RowCount];
    return GetVisibleRows(rows);
}

// The icons, the shown rows' padlocks and the layout; the other padlocks wait
// until the window shows, which comes before any Options OK can show their rows.
void InitRowIcons(HWND dialog)
{
    LoadRowIcons();
    PlacePadlocks(dialog, 0, ShownRowCount());
    LayoutRows(dialog);
}

// A failed load leaves every row as it was: no images, the closed padlocks.
void LoadRowsFromZone(HWND dialog)
{
    if (!LoadZonePolicies(dialog))
        return;
    const int shown = ShownRowCount();
    for (int row = 0; row < shown; ++row)
        UpdateRowImages(dialog, IDC_FIRST_BUTTON + ChoiceCount * row);
}

bool IsRowButton(int id)
{
    return id >= IDC_FIRST_BUTTON && id <= IDC_LAST_BUTTON;
}

// Choices not yet applied are dropped: the rows are read again from the zone.
void OnOptions(HWND dialog)
{
    if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), dialog, OptionsDlgProc, 0) != IDOK)
        return;
    LayoutRows(dialog);
    LoadRowsFromZone(dialog);
}

void OnInitDialog(HWND dialog)
{
    LoadViewSettings(dialog);
    InitRowIcons(dialog);
    LoadRowsFromZone(dialog);
    SubclassHyperlink(dialog, IDC_LINK, IDCUR_HAND);
    ApplySmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &g_noticeFont, &g_smallPrintFont);
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
    SaveViewSettings(dialog);
}

} // namespace

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
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
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    }
    return FALSE;
}
