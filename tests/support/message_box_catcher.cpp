#include "support/message_box_catcher.h"

namespace {

MessageBoxCatcher* g_catcher;

BOOL CALLBACK HasForeignChild(HWND child, LPARAM lParam)
{
    // Message boxes hold their text and icon statics and buttons with small ids only.
    const int id = GetDlgCtrlID(child);
    if (id != 0xFFFF && id != 0x440 && id != 0x14 && (id < 1 || id > 11)) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// True when window is a message box rather than one of the program's dialogs.
bool IsMessageBox(HWND window)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !GetDlgItem(window, 0xFFFF))
        return false;
    bool foreign = false;
    EnumChildWindows(window, HasForeignChild, reinterpret_cast<LPARAM>(&foreign));
    return !foreign;
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
    const std::string text = MessageText(id);
    size_t n = 0;
    for (const CaughtMessage& message : caught_)
        n += message.text == text;
    return n;
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_catcher && IsMessageBox(reinterpret_cast<HWND>(wParam)))
        g_catcher->OnActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxCatcher::OnActivate(HWND box)
{
    // A box is activated again when it regains focus; record it once.
    if (GetPropA(box, "MessageBoxCatcher"))
        return;
    SetPropA(box, "MessageBoxCatcher", box);
    CaughtMessage message;
    message.text = WindowText(GetDlgItem(box, 0xFFFF));
    message.caption = WindowText(box);
    message.owner = GetWindow(box, GW_OWNER);
    message.hasNoButton = GetDlgItem(box, IDNO) != nullptr;
    caught_.push_back(message);
    int answer = defaultAnswer_;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    PostMessageA(box, WM_COMMAND, answer, 0);
}
