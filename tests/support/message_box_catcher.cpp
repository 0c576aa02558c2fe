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
// holds only its text (0xFFFF), icon and buttons.
BOOL CALLBACK HasBrindleControl(HWND child, LPARAM found)
{
    const int id = GetDlgCtrlID(child);
    *reinterpret_cast<bool*>(found) |= id >= 1001 && id <= 1062;
    return TRUE;
}

void Answer(MessageBoxCatcher& catcher, HWND window)
{
    bool dialog = false;
    EnumChildWindows(window, HasBrindleControl, reinterpret_cast<LPARAM>(&dialog));
    const std::string caption = WindowText(window);
    const bool box = !dialog && GetDlgItem(window, 0xFFFF);
    // Activated again when it regains the focus: answered once.
    if (!(box || (dialog && catcher.dialogs.count(caption))) || GetPropA(window, "Answered"))
        return;
    SetPropA(window, "Answered", window);
    catcher.caught.push_back({box ? WindowText(GetDlgItem(window, 0xFFFF)) : "", caption, GetWindow(window, GW_OWNER)});
    int answer = box ? catcher.answer : catcher.dialogs[caption];
    if (box && !catcher.answers.empty()) {
        answer = catcher.answers.front();
        catcher.answers.pop_front();
    }
    PostMessageA(window, WM_COMMAND, answer, 0);
}

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_catcher)
        Answer(*g_catcher, reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

std::string MessageText(UINT id)
{
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

MessageBoxCatcher::MessageBoxCatcher(int pressed) : answer(pressed)
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
