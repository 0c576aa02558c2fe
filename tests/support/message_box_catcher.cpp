#include "support/message_box_catcher.h"

namespace {

MessageBoxCatcher* g_catcher;

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A message box holds its text static (0xFFFF), icon and buttons; each of
// Brindle's dialogs holds a control numbered from 1001 to 1062 besides.
BOOL CALLBACK HasDialogControl(HWND child, LPARAM found)
{
    const int id = GetDlgCtrlID(child);
    *reinterpret_cast<bool*>(found) |= id >= 1001 && id <= 1062;
    return TRUE;
}

bool IsMessageBox(HWND window)
{
    bool dialogControl = false;
    EnumChildWindows(window, HasDialogControl, reinterpret_cast<LPARAM>(&dialogControl));
    return GetDlgItem(window, 0xFFFF) && !dialogControl;
}

} // namespace

std::string MessageText(UINT id)
{
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

MessageBoxCatcher::MessageBoxCatcher(int answer) : defaultAnswer_(answer)
{
    g_catcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(hook_);
    g_catcher = nullptr;
}

size_t MessageBoxCatcher::CountOf(UINT id) const
{
    size_t n = 0;
    for (const CaughtMessage& message : caught_)
        n += message.text == MessageText(id);
    return n;
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_catcher)
        g_catcher->OnActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxCatcher::OnActivate(HWND window)
{
    // A window is activated again when it regains the focus; answer it once.
    if (GetPropA(window, "MessageBoxCatcher"))
        return;
    const std::string caption = WindowText(window);
    const bool box = IsMessageBox(window);
    if (!box && !dialogs_.count(caption))
        return;
    SetPropA(window, "MessageBoxCatcher", window);
    caught_.push_back({box ? WindowText(GetDlgItem(window, 0xFFFF)) : "", caption, GetWindow(window, GW_OWNER)});
    int answer = box ? defaultAnswer_ : dialogs_[caption];
    if (box && !answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    PostMessageA(window, WM_COMMAND, answer, 0);
}
