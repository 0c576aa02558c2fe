#include "support/message_box_catcher.h"

namespace {

MessageBoxCatcher* g_catcher;

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Brindle's own dialogs hold a control numbered from 1001 to 1062; a message box
// only its text (0xFFFF), icon and buttons.
BOOL CALLBACK HasBrindleControl(HWND child, LPARAM found)
{
    const int id = GetDlgCtrlID(child);
    *reinterpret_cast<bool*>(found) |= id >= 1001 && id <= 1062;
    return TRUE;
}

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    bool dialog = false;
    if (code == HCBT_ACTIVATE && g_catcher && !GetPropA(window, "Answered")) {   // once, not at each activation
        EnumChildWindows(window, HasBrindleControl, reinterpret_cast<LPARAM>(&dialog));
        const std::string caption = WindowText(window);
        const bool box = !dialog && GetDlgItem(window, 0xFFFF);
        if (box || (dialog && g_catcher->dialogs.count(caption))) {
            SetPropA(window, "Answered", window);
            g_catcher->caught.push_back({box ? WindowText(GetDlgItem(window, 0xFFFF)) : "", caption,
                                         GetWindow(window, GW_OWNER)});
            PostMessageA(window, WM_COMMAND, box ? g_catcher->answer : g_catcher->dialogs[caption], 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

std::string MessageText(UINT id)
{
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

MessageBoxCatcher::MessageBoxCatcher(int pressed) : answer(pressed), hook(nullptr)
{
    g_catcher = this;
    hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(hook);
    g_catcher = nullptr;
}

size_t MessageBoxCatcher::CountOf(UINT id) const
{
    size_t n = 0;
    for (const CaughtMessage& message : caught)
        n += message.text == MessageText(id);
    return n;
}
