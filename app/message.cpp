#include "app/brindle.h"

HINSTANCE g_instance;

namespace {
// Shared by every caller; valid until the next message.
char g_messageText[MAX_PATH];
}

int ShowMessage(HWND owner, UINT id, UINT type)
{
    // The uninstaller calls this before WinMain stores g_instance.
    if (!LoadStringA(GetModuleHandleA(nullptr), id, g_messageText, sizeof g_messageText))
        return IDCANCEL;
    return MessageBoxA(owner, g_messageText, ProductTitle, type);
}

void ShowWarning(HWND owner, UINT id)
{
    ShowMessage(owner, id, MB_OK | MB_ICONEXCLAMATION);
}
