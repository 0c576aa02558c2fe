// The main window and the options list at each display scale, and a move to a monitor of another scale.
#include "support/common.h"

#include <process.h>

#include "controls/dpi.h"
#include "zone/dialog_harness.h"
#include "zone/options_dialog.h"
#include "zone/row_layout.h"

namespace {

// What a window drawn at dpi shows (pixels): row images and padlocks, the program icon, the link's hand, the
// options list's items, the dialog font's and the small print's height (lfHeight).
constexpr struct Scale { UINT dpi; int image, program, cursor, item; LONG font, smallPrint; } Scales[] = {
    {96, 16, 32, 32, 16, -11, -9},
    {120, 20, 40, 32, 20, -13, -10},
    {144, 24, 48, 48, 24, -16, -13},
    {192, 32, 64, 64, 32, -21, -17},
};

int ImageSize(LRESULT image)
{
    ICONINFO info = {};
    BITMAP mask = {};
    GetIconInfo(reinterpret_cast<HICON>(image), &info);
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return mask.bmWidth;
}

LONG FontHeight(HWND control)
{
    LOGFONTA look = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof look, &look);
    return look.lfHeight;
}

// Each image the size for scale, each text whole, no two controls on each other or past the right edge, and the
// small print in proportion to the dialog font.
void CheckMainWindow(HWND dialog, const Scale& scale)
{
    RECT client, place, other, overlap;
    GetClientRect(dialog, &client);
    CHECK(FontHeight(GetDlgItem(dialog, IDC_FIRST_LABEL)) == scale.font);
    CHECK(FontHeight(GetDlgItem(dialog, IDC_NOTICE)) == scale.smallPrint);
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(control);
        CAPTURE(id);
        GetControlRect(control, &place);
        if (!Showing(control))
            continue;
        CHECK(place.right <= client.right);
        for (HWND next = GetWindow(control, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
            GetControlRect(next, &other);
            if (Showing(next))
                CHECK_FALSE_MESSAGE(IntersectRect(&overlap, &place, &other), GetDlgCtrlID(next));
        }
        char text[80] = "";
        const bool button = id >= IDC_FIRST_BUTTON && id <= IDC_LAST_BUTTON;
        if (button || (id >= IDC_FIRST_STATUS && id <= IDC_LAST_STATUS) || id == -1) {   // -1: the program icon
            const LRESULT image = SendMessageA(control, button ? BM_GETIMAGE : STM_GETIMAGE, IMAGE_ICON, 0);
            CHECK(ImageSize(image) == (id == -1 ? scale.program : scale.image));
        } else if (GetWindowTextA(control, text, sizeof text) > 0) {
            HDC dc = GetDC(control);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            RECT need = {};
            DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
            ReleaseDC(control, dc);
            CHECK(need.right <= place.right - place.left);
            CHECK(need.bottom <= place.bottom - place.top);
        }
    }
}

RECT g_square;   // the last check square the options list drew
BOOL WINAPI DrawSquare(HDC dc, LPRECT box, UINT type, UINT state)
{
    return g_square = *box, PLATFORM("user32", DrawFrameControl)(dc, box, type, state);
}

// The main window with every row shown, each padlock open, none or closed, and the options list, as made at this
// program's scale.
void CheckAtStart(const Scale* scale)
{
    ZoneFixture fixture(0x3FF);
    HWND dialog = CreateMainDialog(), link = GetDlgItem(dialog, IDC_LINK);
    CheckMainWindow(dialog, *scale);
    ShowWindow(dialog, SW_SHOWNA);
    UpdateWindow(dialog);   // the link knows where its text is once painted, then the pointer to its middle
    RECT text;
    GetClientRect(link, &text);
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(text.right / 2, 2));
    CHECK(ImageSize(reinterpret_cast<LRESULT>(GetCursor())) == scale->cursor);
    CloseMainDialog(dialog);

    const ImportPatch squares("user32", "DrawFrameControl", DrawSquare);
    dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDlgProc, 0);
    ShowWindow(dialog, SW_SHOWNA);
    UpdateWindow(dialog);
    CHECK(SendDlgItemMessageA(dialog, IDC_OPTION_LIST, LB_GETITEMHEIGHT, 0, 0) == scale->item);
    CHECK(g_square.bottom - g_square.top == scale->item - 2);
    CHECK(g_square.right - g_square.left == scale->item - 2);
    DestroyWindow(dialog);
}

} // namespace

// Run by the next case in a program of its own, started under the prefix's LogPixels for the row BRDL_SCALE
// names; skipped otherwise.
TEST_CASE("the main window and the options list at the prefix's LogPixels" * doctest::skip())
{
    CheckAtStart(&Scales[std::atoi(getenv("BRDL_SCALE"))]);
}

TEST_CASE("at 96, 120, 144 and 192 DPI every image has its size, every text its room and each control its place")
{
    constexpr char Desktop[] = "Control Panel\\Desktop";
    const DWORD before = DwordValue(HKEY_CURRENT_USER, Desktop, "LogPixels");   // ~0u: none, Wine's 96
    const UINT now = WindowDpi(nullptr);   // this program's scale: its row runs here
    for (const Scale& scale : Scales) {
        CAPTURE(scale.dpi);
        if (scale.dpi == now) {
            CheckAtStart(&scale);
            continue;
        }
        WriteDword(HKEY_CURRENT_USER, Desktop, "LogPixels", scale.dpi);   // read by each program as it starts
        _putenv_s("BRDL_SCALE", std::to_string(&scale - Scales).c_str());
        CHECK(_spawnl(_P_WAIT, _pgmptr, "brdl_tests", "--no-skip", "--test-case=*LogPixels", nullptr) == 0);
    }
    WriteDword(HKEY_CURRENT_USER, Desktop, "LogPixels", before == ~0u ? 96 : before);
}

TEST_CASE("moved to 144 DPI and back, the window takes its place and scale, and frees the old")
{
    ZoneFixture fixture(0x3FF);
    MadeHandles made;
    HWND dialog = CreateMainDialog();
    const size_t before = made.live.size();
    RECT start, now;
    GetWindowRect(dialog, &start);
    const struct { const Scale& scale; RECT suggested; } moves[] = {
        {Scales[2], {200, 50, 200 + (start.right - start.left) * 3 / 2, 50 + (start.bottom - start.top) * 3 / 2}},
        {Scales[0], start},
    };
    for (const auto& move : moves) {
        CAPTURE(move.scale.dpi);
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(move.scale.dpi, move.scale.dpi),
                     reinterpret_cast<LPARAM>(&move.suggested));
        GetWindowRect(dialog, &now);
        CHECK(now.left == move.suggested.left);
        CHECK(now.top == move.suggested.top);
        CHECK(now.right == move.suggested.right);
        CheckMainWindow(dialog, move.scale);
    }
    CHECK(made.live.size() == before);
    CloseMainDialog(dialog);
    // The options list given its new scale's font, as the dialog manager gives it: items as tall as its letters.
    dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDlgProc, 0);
    HFONT font = CreateFontA(Scales[3].font, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
    SendDlgItemMessageA(dialog, IDC_OPTION_LIST, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendDlgItemMessageA(dialog, IDC_OPTION_LIST, WM_DPICHANGED_AFTERPARENT, 0, 0);
    CHECK(SendDlgItemMessageA(dialog, IDC_OPTION_LIST, LB_GETITEMHEIGHT, 0, 0) >= -Scales[3].font);
    DestroyWindow(dialog);
    DeleteObject(font);
}
