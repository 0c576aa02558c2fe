// The link label on a real static; ShellExecuteA is replaced in this module's imports: no browser starts.
#include "support/common.h"

#include "controls/hyperlink.h"

namespace {
HWND g_parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
std::string g_opened;   // "parent verb file show" of each request

HINSTANCE WINAPI RecordOpen(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
{
    g_opened += std::to_string(parent == g_parent) + ' ' + verb + ' ' + file + (parameters ? "?" : " ") +
                char('0' + show);
    return nullptr;
}

} // namespace

TEST_CASE("the address opens on a press on the label and a release on its text, the capture held")
{
    const ImportPatch open("shell32", "ShellExecuteA", RecordOpen);
    REQUIRE(!open.slots.empty());
    // The label is 400 pixels wide, its text centred; down and up: where the button goes down and up.
    const struct {
        std::string name;
        bool painted = true;
        int down, up;
        bool loseCapture = false;
        std::string outcome;   // the pointer over where it went down, and what the release opened
    } rows[] = {
        {.name = "beside the text, then on it", .down = 2, .up = 150,
         .outcome = "arrow; 1 open https://www.talvane.example/ 1"},
        {.name = "on the text, then beside it", .down = 200, .up = 398, .outcome = "hand; "},
        {.name = "the capture went elsewhere", .down = 200, .up = 200, .loseCapture = true, .outcome = "hand; "},
        {.name = "no text to hit before a paint", .painted = false, .down = 200, .up = 200, .outcome = "arrow; "},
    };
    for (const auto& c : rows) {
        INFO(c.name);
        HWND label = CreateWindowA("STATIC", "https://www.talvane.example/", WS_CHILD | SS_NOTIFY | SS_CENTER, 0, 0,
                                   400, 20, g_parent, reinterpret_cast<HMENU>(IDC_LINK), nullptr, nullptr);
        REQUIRE(SubclassHyperlink(g_parent, IDC_LINK, IDCUR_HAND));
        if (c.painted)
            SendMessageA(label, WM_PAINT, 0, 0);
        g_opened.clear();
        SetCursor(nullptr);   // whatever the move sets, it sets
        SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(c.down, 5));
        const HCURSOR shown = GetCursor();
        const std::string pointer = shown == LoadCursorA(nullptr, IDC_ARROW) ? "arrow" : shown ? "hand" : "none";
        SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.down, 5));
        if (c.loseCapture)
            SetCapture(g_parent);
        SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(c.up, 5));
        CHECK(pointer + "; " + g_opened == c.outcome);
        DestroyWindow(label);
    }
}
