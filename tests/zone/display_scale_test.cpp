// The main window and the options list at each display scale, and a move to a monitor of another scale.
#include "support/common.h"

#include <set>

#include "zone/dialog_harness.h"
#include "zone/main_dialog.h"
#include "zone/option_catalogue.h"
#include "zone/options_dialog.h"

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
    BITMAP bitmap = {};
    if (GetIconInfo(reinterpret_cast<HICON>(image), &info))
        GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

LONG FontHeight(HWND control)
{
    LOGFONTA look = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof look, &look);
    return look.lfHeight;
}

bool Shown(HWND control) { return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

RECT Placed(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The main window with every row shown, drawn for scale: each image its size and inside its control, each
// text whole, no two controls on each other, and the client area ending under the notice.
void CheckMainWindow(HWND dialog, const Scale& scale)
{
    RECT client, overlap;
    GetClientRect(dialog, &client);
    CHECK(client.bottom == Placed(GetDlgItem(dialog, IDC_NOTICE)).bottom);
    CHECK(FontHeight(GetDlgItem(dialog, IDC_FIRST_LABEL)) == scale.font);
    CHECK(FontHeight(GetDlgItem(dialog, IDC_NOTICE)) == scale.smallPrint);
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(control);
        CAPTURE(id);
        const RECT place = Placed(control);
        if (!Shown(control))
            continue;
        CHECK(place.right <= client.right);
        for (HWND other = GetWindow(control, GW_HWNDNEXT); other; other = GetWindow(other, GW_HWNDNEXT)) {
            const RECT second = Placed(other);
            if (Shown(other))
                CHECK_FALSE_MESSAGE(IntersectRect(&overlap, &place, &second), GetDlgCtrlID(other));
        }
        char text[80] = "";
        if (id >= IDC_FIRST_BUTTON && id <= IDC_LAST_BUTTON) {   // an image with room for the button's edges
            CHECK(ImageSize(SendMessageA(control, BM_GETIMAGE, IMAGE_ICON, 0)) == scale.image);
            CHECK(scale.image + 4 <= place.right - place.left);
        } else if (id >= IDC_FIRST_STATUS && id <= IDC_LAST_STATUS) {
            CHECK(ImageSize(SendMessageA(control, STM_GETIMAGE, IMAGE_ICON, 0)) == scale.image);
        } else if (id == -1 || id == 0xFFFF) {   // the program icon
            CHECK(ImageSize(SendMessageA(control, STM_GETIMAGE, IMAGE_ICON, 0)) == scale.program);
        } else if (GetWindowTextA(control, text, sizeof text) > 0) {
            HDC dc = GetDC(control);
            HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            RECT need = {};
            DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
            SelectObject(dc, font);
            ReleaseDC(control, dc);
            CHECK(need.right <= place.right - place.left);
            CHECK(need.bottom <= place.bottom - place.top);
        }
    }
}

std::set<HANDLE> g_live;   // the fonts and icons the product made and has not freed
template <typename Handle> Handle Live(Handle made) { return g_live.insert(made), made; }
HFONT WINAPI NewFont(const LOGFONTA* look) { return Live(PLATFORM("gdi32", CreateFontIndirectA)(look)); }
HANDLE WINAPI NewImage(HINSTANCE module, LPCSTR name, UINT type, int width, int height, UINT flags)
{
    return Live(PLATFORM("user32", LoadImageA)(module, name, type, width, height, flags));
}
BOOL WINAPI FreeObject(HGDIOBJ object) { return g_live.erase(object), PLATFORM("gdi32", DeleteObject)(object); }
BOOL WINAPI FreeIcon(HICON icon) { return g_live.erase(icon), PLATFORM("user32", DestroyIcon)(icon); }

std::vector<RECT> g_squares;   // where the options list drew its check squares
BOOL WINAPI DrawSquare(HDC dc, LPRECT box, UINT type, UINT state)
{
    return g_squares.push_back(*box), PLATFORM("user32", DrawFrameControl)(dc, box, type, state);
}

} // namespace

// Run by the next case in a program of its own, under the prefix's LogPixels; skipped otherwise.
TEST_CASE("the main window and the options list at the prefix's display scale" * doctest::skip())
{
    HDC screen = GetDC(nullptr);
    const UINT dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const Scale* scale = std::find_if(std::begin(Scales), std::end(Scales), [dpi](auto& s) { return s.dpi == dpi; });
    REQUIRE(scale != std::end(Scales));
    ZoneFixture fixture;
    ResetShownSettings(0x3FF);
    for (int i = 0; i < OptionCount; ++i)   // every padlock: open, none, closed
        SetPolicy(OptionCatalogue[i].urlAction, PolicyChoices[i % 3].policy);
    HWND dialog = CreateMainDialog();
    CheckMainWindow(dialog, *scale);
    HWND link = GetDlgItem(dialog, IDC_LINK);
    ShowWindow(dialog, SW_SHOWNA);
    UpdateWindow(dialog);
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM((Placed(link).right - Placed(link).left) / 2, 2));
    CHECK(ImageSize(reinterpret_cast<LRESULT>(GetCursor())) == scale->cursor);
    CloseMainDialog(dialog);

    const ImportPatch squares("user32", "DrawFrameControl", DrawSquare);
    dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDlgProc, 0);
    HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    ShowWindow(dialog, SW_SHOWNA);
    UpdateWindow(list);
    TEXTMETRICA font = {};
    HDC dc = GetDC(list);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &font);
    ReleaseDC(list, dc);
    CHECK(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) == scale->item);
    CHECK(font.tmHeight <= scale->item);
    REQUIRE(!g_squares.empty());
    CHECK(g_squares[0].bottom - g_squares[0].top == scale->item - 2);
    CHECK(g_squares[0].right - g_squares[0].left == scale->item - 2);
    DestroyWindow(dialog);
}

TEST_CASE("at 96, 120, 144 and 192 DPI every image has its size, every text its room and each control its place")
{
    constexpr char Desktop[] = "Control Panel\\Desktop";
    const std::string before = RawValue(HKEY_CURRENT_USER, Desktop, "LogPixels");
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    for (const Scale& scale : Scales) {
        CAPTURE(scale.dpi);
        WriteDword(HKEY_CURRENT_USER, Desktop, "LogPixels", scale.dpi);   // read by each program as it starts
        std::string command = std::string("\"") + self + "\" --no-skip --test-case=\"*prefix's display scale\"";
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION child = {};
        REQUIRE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child));
        WaitForSingleObject(child.hProcess, INFINITE);
        DWORD exitCode = ~0u;
        GetExitCodeProcess(child.hProcess, &exitCode);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        CHECK(exitCode == 0);
    }
    if (before.empty())
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Desktop, "LogPixels");
    else
        RegSetKeyValueA(HKEY_CURRENT_USER, Desktop, "LogPixels", REG_DWORD, before.data(), DWORD(before.size()));
}

TEST_CASE_FIXTURE(ZoneFixture, "moved to a monitor of 144 DPI and back, the window takes its place and scale, "
                                "and frees what it made for the other")
{
    const ImportPatch tracked[] = {{"gdi32", "CreateFontIndirectA", NewFont}, {"user32", "LoadImageA", NewImage},
                                   {"gdi32", "DeleteObject", FreeObject}, {"user32", "DestroyIcon", FreeIcon}};
    ResetShownSettings(0x3FF);
    for (int i = 0; i < OptionCount; ++i)
        SetPolicy(OptionCatalogue[i].urlAction, PolicyChoices[i % 3].policy);
    HWND dialog = CreateMainDialog();
    const size_t made = g_live.size();
    RECT start;
    GetWindowRect(dialog, &start);
    const struct { const Scale& scale; RECT suggested; } moves[] = {
        {Scales[2], {200, 50, 200 + (start.right - start.left) * 3 / 2, 50 + (start.bottom - start.top) * 3 / 2}},
        {Scales[0], start},
    };
    for (const auto& move : moves) {
        CAPTURE(move.scale.dpi);
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(move.scale.dpi, move.scale.dpi),
                     reinterpret_cast<LPARAM>(&move.suggested));
        RECT now;
        GetWindowRect(dialog, &now);
        CHECK(now.left == move.suggested.left);
        CHECK(now.top == move.suggested.top);
        CHECK(now.right == move.suggested.right);
        CheckMainWindow(dialog, move.scale);
    }
    CHECK(g_live.size() == made);
    CloseMainDialog(dialog);
    g_live.clear();
}
