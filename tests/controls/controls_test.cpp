// The controls, driven with input messages: the check list box in a dialog that counts the toggles it hears of,
// and the link label on a real static, with ShellExecuteA replaced in this module's imports: no browser starts.
#include "support/common.h"

#include <oleacc.h>

#include "controls/check_list_box.h"
#include "controls/hyperlink.h"

namespace {

int g_toggles;
bool g_drawnChecked;   // a check square drawn checked: only the second item can be
std::string g_heard;   // the items (from 1) a screen reader was told changed state

void CALLBACK Hear(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG item, DWORD, DWORD)
{
    g_heard += object == OBJID_CLIENT ? std::to_string(item) + ';' : "";
}

BOOL WINAPI DrawSquare(HDC dc, LPRECT box, UINT type, UINT state)
{
    g_drawnChecked |= state == (DFCS_BUTTONCHECK | DFCS_CHECKED);
    return PLATFORM("user32", DrawFrameControl)(dc, box, type, state);
}

INT_PTR CALLBACK CountingDlgProc(HWND, UINT message, WPARAM, LPARAM lParam)
{
    g_toggles += message == WM_CHECKLIST_TOGGLED;
    if (message == WM_DRAWITEM)   // as the options dialog has its items drawn
        DrawCheckListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return message == WM_DRAWITEM;
}

HWND g_parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
std::string g_opened;   // "parent verb file show" of each request

HINSTANCE WINAPI RecordOpen(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
{
    g_opened += std::to_string(parent == g_parent) + ' ' + verb + ' ' + file + (parameters ? "?" : " ") +
                char('0' + show);
    return nullptr;
}

// Under qemu-user the threads COM starts to hand the list to a screen reader crash or hang the emulated process at
// random; the native run checks it.
const bool g_emulated = sizeof(void*) == 4 && getenv("BRDL_WIN32") && !strcmp(getenv("BRDL_WIN32"), "qemu");

} // namespace

TEST_CASE("check list box: toggles and notifies once per gesture" * doctest::skip(g_emulated))
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, CountingDlgProc, 0);
    HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    REQUIRE(SubclassCheckListBox(list) == 1);
    for (const char* text : {"First", "Second", "Third"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    // As a screen reader reads the items: check boxes, named by their text.
    IAccessible* items = nullptr;
    REQUIRE(AccessibleObjectFromWindow(list, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&items)) == S_OK);
    VARIANT second = {}, role = {}, state = {};
    second.vt = VT_I4;
    second.lVal = 2;
    BSTR name = nullptr;
    items->get_accName(second, &name);
    CHECK(lstrcmpW(name, L"Second") == 0);
    SysFreeString(name);
    items->get_accRole(second, &role);
    CHECK(role.lVal == ROLE_SYSTEM_CHECKBUTTON);
    VARIANT past = second;   // no item: the third is the last
    past.lVal = 4;
    LONG topic = 7;
    CHECK(items->get_accHelpTopic(&name, second, &topic) == S_FALSE);
    CHECK(topic == 0);
    CHECK(items->get_accValue(past, &name) == E_INVALIDARG);
    LONG place[] = {1, 1, 1, 1};   // what is answered where there is no item, or no type information: nothing
    items->accLocation(&place[0], &place[1], &place[2], &place[3], past);
    CHECK(std::count(place, place + 4, 0) == 4);
    ITypeInfo* type = reinterpret_cast<ITypeInfo*>(1);
    items->GetTypeInfo(0, 0, &type);
    CHECK(type == nullptr);
    HWINEVENTHOOK hearing = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE,
                                            GetModuleHandleA(nullptr), Hear, 0, 0, WINEVENT_INCONTEXT);
    // What each gesture on the second item leaves: its state, its square drawn so before the gesture's message
    // returns, the notices its parent heard and the items a screen reader heard change (in context: as raised).
    const struct {
        std::string name;
        bool inSquare = false;
        int clicks = 0;
        WPARAM key = 0;
        LPARAM keyFlags = 0;
        bool action = false;   // the item's default action, as a screen reader or voice control does it
        std::string outcome = "checked, drawn; 1 notices; heard 2;";
    } rows[] = {
        {.name = "a click on the text selects only", .clicks = 1, .outcome = "unchecked; 0 notices; heard "},
        {.name = "a click in the square toggles", .inSquare = true, .clicks = 1},
        {.name = "a double click on the text toggles once", .clicks = 2},
        {.name = "a double click in the square toggles once", .inSquare = true, .clicks = 2},
        {.name = "Space toggles the selection", .key = VK_SPACE},
        {.name = "Space held down: its repeats toggle nothing", .key = VK_SPACE, .keyFlags = KF_REPEAT << 16,
         .outcome = "unchecked; 0 notices; heard "},
        {.name = "the default action selects and toggles", .action = true},
    };
    const ImportPatch squares("user32", "DrawFrameControl", DrawSquare);
    ShowWindow(dialog, SW_SHOWNA);   // drawn as it changes
    for (const auto& c : rows) {
        INFO(c.name);
        SetCheckListItemState(list, 1, 0);
        SendMessageA(list, LB_SETCURSEL, c.key ? 1 : 0, 0);
        g_toggles = 0;
        g_drawnChecked = false;
        g_heard.clear();
        RECT item;
        SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        const int h = item.bottom - item.top;
        const LPARAM at = MAKELPARAM(item.left + (c.inSquare ? h / 2 : h + 20), item.top + h / 2);
        for (int i = 0; i < c.clicks; ++i) {
            SendMessageA(list, i ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(list, WM_LBUTTONUP, 0, at);
        }
        if (c.key)
            SendMessageA(list, WM_KEYDOWN, c.key, c.keyFlags);
        if (c.action && items->accDoDefaultAction(second) == S_OK)
            for (MSG posted; PeekMessageA(&posted, list, 0, 0, PM_REMOVE);)
                DispatchMessageA(&posted);
        const bool checked = GetCheckListItemState(list, 1) != 0;
        CHECK(std::string(checked ? "checked" : "unchecked") + (checked && g_drawnChecked ? ", drawn" : "") + "; " +
                  std::to_string(g_toggles) + " notices; heard " + g_heard == c.outcome);
        items->get_accState(second, &state);
        CHECK(bool(state.lVal & STATE_SYSTEM_CHECKED) == checked);
        items->get_accDefaultAction(second, &name);
        CHECK(std::wstring(name ? name : L"") == (checked ? L"Uncheck" : L"Check"));
        SysFreeString(name);
    }
    UnhookWinEvent(hearing);
    DestroyWindow(dialog);   // a screen reader may keep the object longer
    VARIANT selected = {};
    items->get_accSelection(&selected);
    CHECK(selected.vt == VT_EMPTY);
    items->Release();
}

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
