// Helper of `make run` (scripts/run.sh): works the program's windows inside a
// Wine virtual desktop, one step per call, so the shell can take screenshots
// between the steps.
//
//   walkthrough DESKTOP wait TITLE     waits for a visible window titled TITLE,
//                                      brings it to the front and prints its
//                                      rectangle as WxH+X+Y (desktop pixels)
//   walkthrough DESKTOP press TITLE ID presses button ID of that window
//   walkthrough DESKTOP gone TITLE     waits until no window is titled TITLE
//   walkthrough DESKTOP click TITLE ID INDEX
//                                      clicks in the check square of item INDEX
//                                      of list box ID of that window
//   walkthrough DESKTOP choose TITLE ID
//                                      clicks button ID of that window with the
//                                      mouse, as a user would, waits until it is
//                                      checked and moves the pointer off the window
//   walkthrough DESKTOP hover TITLE ID rests the pointer on the centre of control
//                                      ID of that window until its tooltip shows
//                                      and prints the rectangle (WxH+X+Y) that
//                                      holds both the window and the tooltip
//
// Exit code 0 on success, 1 when the window, the check or the tooltip did not
// come (or the window did not go) in time, 2 on bad arguments.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kTimeoutMs = 30000;
// Time for a tooltip that has just shown to finish painting.
constexpr DWORD kTooltipMs = 1000;

struct Search {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && std::strcmp(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindVisible(const char* title)
{
    Search search{title, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Control id (as text) of the visible window titled title; says so when there is none.
HWND FindControl(const char* title, const char* id)
{
    HWND window = FindVisible(title);
    HWND control = window ? GetDlgItem(window, std::atoi(id)) : nullptr;
    if (!control)
        std::fprintf(stderr, "walkthrough: no control %s in window \"%s\"\n", id, title);
    return control;
}

HWND WaitForWindow(const char* title)
{
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
        if (HWND window = FindVisible(title))
            return window;
        Sleep(100);
    }
    return nullptr;
}

// Lets the window's thread finish its start-up and paint before a picture is taken.
void LetSettle(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId)) {
        WaitForInputIdle(process, 5000);
        CloseHandle(process);
    }
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);
}

// A shown tooltip: a visible top-level window of the common controls' tooltip class.
BOOL CALLBACK MatchTooltip(HWND window, LPARAM lParam)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (IsWindowVisible(window) && std::strcmp(className, TOOLTIPS_CLASSA) == 0) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindShownTooltip()
{
    HWND found = nullptr;
    EnumWindows(MatchTooltip, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PrintRect(const RECT& rect)
{
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
}

// Puts the pointer on the centre of the control in two moves, so the control sees
// it arrive and then rest on it.
void PointAt(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    SetCursorPos((rect.left + rect.right) / 2 - 1, (rect.top + rect.bottom) / 2);
    Sleep(100);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// A press and release of the left button where the pointer is, as the mouse sends them.
void ClickLeftButton()
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof inputs[0]);
}

int Usage()
{
    std::fprintf(stderr, "usage: walkthrough DESKTOP wait|gone TITLE | walkthrough DESKTOP press|choose|hover TITLE ID\n"
                         "       walkthrough DESKTOP click TITLE ID INDEX\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    const char* desktopName = argv[1];
    const char* step = argv[2];
    const char* title = argv[3];

    // Windows of a Wine virtual desktop are seen only from a thread attached to
    // it; the desktop may still be starting.
    HDESK desktop = nullptr;
    for (DWORD waited = 0; !desktop && waited < kTimeoutMs; waited += 100) {
        desktop = OpenDesktopA(desktopName, 0, FALSE, GENERIC_ALL);
        if (!desktop)
            Sleep(100);
    }
    if (!desktop || !SetThreadDesktop(desktop)) {
        std::fprintf(stderr, "walkthrough: cannot attach to desktop %s\n", desktopName);
        return 1;
    }

    if (std::strcmp(step, "wait") == 0) {
        HWND window = WaitForWindow(title);
        if (!window) {
            std::fprintf(stderr, "walkthrough: no window \"%s\" within %lu s\n", title, kTimeoutMs / 1000);
            return 1;
        }
        SetForegroundWindow(window);
        LetSettle(window);
        RECT rect;
        GetWindowRect(window, &rect);
        PrintRect(rect);
        return 0;
    }
    if (std::strcmp(step, "press") == 0 && argc == 5) {
        HWND window = FindVisible(title);
        if (!window) {
            std::fprintf(stderr, "walkthrough: no window \"%s\"\n", title);
            return 1;
        }
        const int id = std::atoi(argv[4]);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        return 0;
    }
    if (std::strcmp(step, "click") == 0 && argc == 6) {
        HWND list = FindControl(title, argv[4]);
        if (!list)
            return 1;
        // The square is the item's leftmost square, one pixel inside; aim at its middle.
        const int index = std::atoi(argv[5]);
        const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        const int top = (index - static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0))) * height;
        const LPARAM at = MAKELPARAM(height / 2, top + height / 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (std::strcmp(step, "choose") == 0 && argc == 5) {
        HWND button = FindControl(title, argv[4]);
        if (!button)
            return 1;
        HWND window = GetParent(button);
        SetForegroundWindow(window);
        PointAt(button);
        Sleep(100);
        ClickLeftButton();
        DWORD waited = 0;
        for (; waited < kTimeoutMs && SendMessageA(button, BM_GETCHECK, 0, 0) != BST_CHECKED; waited += 100)
            Sleep(100);
        // Off the window, so no tooltip or hover image stands in the next picture.
        RECT frame;
        GetWindowRect(window, &frame);
        SetCursorPos(frame.right + 20, frame.bottom + 20);
        if (waited >= kTimeoutMs) {
            std::fprintf(stderr, "walkthrough: button %s of \"%s\" not checked after a click\n", argv[4], title);
            return 1;
        }
        return 0;
    }
    if (std::strcmp(step, "hover") == 0 && argc == 5) {
        HWND control = FindControl(title, argv[4]);
        if (!control)
            return 1;
        PointAt(control);
        HWND tooltip = nullptr;
        for (DWORD waited = 0; !tooltip && waited < kTimeoutMs; waited += 100) {
            Sleep(100);
            tooltip = FindShownTooltip();
        }
        if (!tooltip) {
            std::fprintf(stderr, "walkthrough: no tooltip over control %s of \"%s\"\n", argv[4], title);
            return 1;
        }
        Sleep(kTooltipMs);   // its fade-in and painting
        RECT both, tip;
        GetWindowRect(GetParent(control), &both);
        GetWindowRect(tooltip, &tip);
        UnionRect(&both, &both, &tip);
        PrintRect(both);
        return 0;
    }
    if (std::strcmp(step, "gone") == 0) {
        for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
            if (!FindVisible(title))
                return 0;
            Sleep(100);
        }
        std::fprintf(stderr, "walkthrough: window \"%s\" still open after %lu s\n", title, kTimeoutMs / 1000);
        return 1;
    }
    return Usage();
}
