#include "setup/elevation.h"

#include <shellapi.h>
#include <cstring>

#include "setup/path_utils.h"

namespace {

constexpr char MachineUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The copy's switches: the install switch, a blank and the folder in double quotes;
// the removal switch alone. Neither holds "/u" or "/U".
constexpr char InstallSwitch[] = "/BrdlInstallAllUsers";
constexpr char RemoveSwitch[] = "/BrdlRemoveAllUsers";

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

ElevatedRun RunElevated(const char* folder, HWND owner)
{
    char exePath[MAX_PATH];
    char parameters[AllUsersPartSize];
    if (!GetExecutablePath(exePath, sizeof exePath) || !WriteAllUsersPart(folder, parameters))
        return ElevatedRun::Untold;
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.hwnd = owner;
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

bool WriteAllUsersPart(const char* folder, char (&parameters)[AllUsersPartSize])
{
    static_assert(sizeof InstallSwitch + sizeof " \"\"" + MAX_PATH <= AllUsersPartSize, "any folder fits");
    if (folder && std::strlen(folder) >= MAX_PATH)
        return false;
    if (folder)
        wsprintfA(parameters, "%s \"%s\"", InstallSwitch, folder);
    else
        std::strcpy(parameters, RemoveSwitch);
    return true;
}

AllUsersPart ReadAllUsersPart(char* commandLine, const char** folder)
{
    constexpr std::size_t prefix = sizeof InstallSwitch - 1;
    const std::size_t length = std::strlen(commandLine);
    if (std::strcmp(commandLine, RemoveSwitch) == 0)
        return AllUsersPart::Remove;
    // The install switch, a blank and the folder in double quotes.
    if (std::strncmp(commandLine, InstallSwitch, prefix) != 0 || length < prefix + 3 ||
        std::strncmp(commandLine + prefix, " \"", 2) != 0 || commandLine[length - 1] != '"')
        return AllUsersPart::None;
    commandLine[length - 1] = '\0';
    *folder = commandLine + prefix + 2;
    return AllUsersPart::Install;
}
