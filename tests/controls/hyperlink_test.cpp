// The link label on a real static; ShellExecuteA is replaced in this module's imports: no browser starts.
#include "support/common.h"

#include "controls/hyperlink.h"

namespace {
HWND g_parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
std::string g_opened;   // "parent verb file show" of each request

HINSTANCE WINAPI RecordOpen(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
{
    g_opened += std::to_string(parent == g_parent) + ' ' + verb + ' ' + file + (parameters ? "?" : " ") + char('0' + show);
    return nullptr;
}

} // namespace

TEST_CASE("the address opens on a press on the label and a release on its text, the capture held")
{
    const ImportPatch open("shell32", "ShellExecuteA", RecordOpen);
    REQUIRE(!open.slots.empty());
    const struct { bool painted; int down, up; bool loseCapture; const char* opened; } cases[] = {
        {true, 2, 150, false, "1 open https://www.talvane.example/ 1"},     // beside the text, then on it
        {true, 200, 398, false, ""},                                        // on the text, then beside it
        {true, 200, 200, true, ""},                                         // the capture went elsewhere
        {false, 200, 200, false, ""},                                       // no text to hit before a paint
    };
    for (const auto& c : cases) {
        CAPTURE(c.down);
        HWND label = CreateWindowA("STATIC", "https://www.talvane.example/", WS_CHILD | SS_NOTIFY | SS_CENTER, 0, 0,
                                   400, 20, g_parent, reinterpret_cast<HMENU>(IDC_LINK), nullptr, nullptr);
        REQUIRE(SubclassHyperlink(g_parent, IDC_LINK, IDCUR_HAND));
        if (c.painted)
            SendMessageA(label, WM_PAINT, 0, 0);
        g_opened.clear();
        SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.down, 5));
        if (c.loseCapture)
            SetCapture(g_parent);
        SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(c.up, 5));
        CHECK(g_opened == c.opened);
        DestroyWindow(label);
    }
}
