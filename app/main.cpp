// Entry point: raise a running instance, uninstall on "/u", or install if needed
// and show the main dialog.
#include <cstring>

#include <objbase.h>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "zone/main_dialog.h"

namespace {

// Any top-level window titled "Brindle" counts, a message box of ours included.
bool RaiseRunningInstance()
{
    HWND running = FindWindowA(nullptr, ProductTitle);
    if (!running)
        return false;
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return true;
}

bool WantsUninstall(const char* commandLine)
{
    return std::strstr(commandLine, "/u") || std::strstr(commandLine, "/U");
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    if (RaiseRunningInstance())
        return 0;
    if (WantsUninstall(commandLine)) {
        RunUninstall();
        return 0;
    }
    CoInitialize(nullptr);
    g_instance = instance;
    if (RunInstallerIfNeeded())
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
    CoUninitialize();
    return 0;
}
