#include "setup/elevation.h"

#include <shellapi.h>

#include "setup/path_utils.h"

namespace {

constexpr char MachineUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

} // namespace

bool CanWriteMachineKeys()
{
    // Asked of the platform, not guessed from the Windows version: an elevated
    // administrator, Windows without UAC and Wine all may.
    HKEY opened;
    const LONG error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, MachineUninstallKey, 0, KEY_CREATE_SUB_KEY, &opened);
    if (error == ERROR_SUCCESS)
        RegCloseKey(opened);
    return error != ERROR_ACCESS_DENIED;
}

bool IsElevated()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const BOOL read = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return read && elevation.TokenIsElevated;
}

ElevatedRun RunElevated(const char* parameters)
{
    char exePath[MAX_PATH];
    if (!GetExecutablePath(exePath, sizeof exePath))
        return ElevatedRun::Untold;
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = "runas";
    run.lpFile = exePath;
    run.lpParameters = parameters;
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&run))
        return GetLastError() == ERROR_CANCELLED ? ElevatedRun::Declined : ElevatedRun::Untold;
    if (!run.hProcess)
        return ElevatedRun::Untold;
    WaitForSingleObject(run.hProcess, INFINITE);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(run.hProcess, &exitCode);
    CloseHandle(run.hProcess);
    switch (exitCode) {
    case CopySucceeded:
        return ElevatedRun::Succeeded;
    case CopyFailedAndTold:
        return ElevatedRun::Failed;
    }
    return ElevatedRun::Untold;
}
