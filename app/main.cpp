// Entry point: raise a running instance, uninstall on "/u", or install if needed
// and show the main dialog.
#include <algorithm>
#include <cstring>
#include <iterator>

#include <objbase.h>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "zone/main_dialog.h"

namespace {

// Only the system folder for every DLL loaded from here on: a web page can drop a
// DLL beside a downloaded executable. Vista and Windows 7 without update KB2533623
// lack the call; there at least the current folder is left out.
void RestrictDllSearch()
{
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto restrictTo = reinterpret_cast<SetDirectories>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "SetDefaultDllDirectories")));
    if (!restrictTo || !restrictTo(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");
}

// Brindle's own main dialog: a dialog of that title holding the main dialog's controls.
// Another program's window, or an Explorer window on a folder named Brindle, is no
// running instance.
HWND FindRunningInstance()
{
    constexpr int MainDialogControls[] = {IDC_FIRST_LABEL, IDC_LAST_STATUS, IDC_OPTIONS, IDC_NOTICE, IDC_LINK};
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, WC_DIALOG, ProductTitle)))
        if (std::all_of(std::begin(MainDialogControls), std::end(MainDialogControls),
                        [window](int id) { return GetDlgItem(window, id) != nullptr; }))
            return window;
    return nullptr;
}

bool RaiseRunningInstance()
{
    HWND running = FindRunningInstance();
    if (!running)
        return false;
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return true;
}

// The copy started through the consent prompt does the machine-wide part alone: no
// running instance is raised, no install gate, no main dialog. Its exit code tells
// the first process how it went.
bool RunAllUsersPart(char* commandLine, int* exitCode)
{
    const char* folder = nullptr;
    switch (ReadAllUsersPart(commandLine, &folder)) {
    case AllUsersPart::Install:
        *exitCode = InstallForAllUsers(folder) ? CopySucceeded : CopyFailedAndTold;
        return true;
    case AllUsersPart::Remove:
        *exitCode = RemoveForAllUsers() ? CopySucceeded : CopyFailedAndTold;
        return true;
    case AllUsersPart::None:
        break;
    }
    return false;
}

bool WantsUninstall(const char* commandLine)
{
    return std::strstr(commandLine, "/u") || std::strstr(commandLine, "/U");
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    RestrictDllSearch();
    int exitCode;
    if (RunAllUsersPart(commandLine, &exitCode))
        return exitCode;
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
