#include "support/limited_token.h"

#include <shellapi.h>
#include <algorithm>
#include <cstring>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "support/sandbox.h"

namespace {

ReportedExe* g_exe;
LimitedToken* g_token;

DWORD WINAPI ReportExe(HMODULE, LPWSTR path, DWORD size)
{
    lstrcpynW(path, g_exe->path.c_str(), static_cast<int>(size));
    return std::min(static_cast<DWORD>(g_exe->path.size()), size);
}

LONG WINAPI DenyMachineKeys(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key)
{
    if (root == HKEY_LOCAL_MACHINE && (access & KEY_CREATE_SUB_KEY) && !g_token->elevated)
        return ERROR_ACCESS_DENIED;
    return reinterpret_cast<decltype(&RegOpenKeyExA)>(reinterpret_cast<void*>(g_token->probe.original))(
        root, subKey, options, access, key);
}

// As WinMain runs the switches, then a process that ends with the result.
BOOL WINAPI AnswerConsent(SHELLEXECUTEINFOA* run)
{
    g_token->started += std::string(run->lpVerb) + ' ' + run->lpFile + ' ' + run->lpParameters + '|';
    int answer = g_token->answers.front();
    g_token->answers.erase(g_token->answers.begin());
    if (answer == LimitedToken::Declined || answer == LimitedToken::NotStarted) {
        SetLastError(answer == LimitedToken::Declined ? ERROR_CANCELLED : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (answer == LimitedToken::Run && std::strcmp(run->lpParameters, RemoveSwitch) == 0) {
        g_token->elevated = true;
        answer = !RemoveForAllUsers();
    } else if (answer == LimitedToken::Run) {
        g_token->elevated = true;
        const std::string folder = run->lpParameters + sizeof InstallSwitch + 1;   // behind the opening quote
        answer = !InstallForAllUsers(folder.substr(0, folder.size() - 1).c_str());
        if (KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"))
            g_token->started += "wrote HKEY_CURRENT_USER|";   // maybe another account's
    }
    g_token->elevated = false;
    wchar_t line[32];
    wsprintfW(line, L"cmd /d /c exit %d", answer);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(process.hThread);
    run->hProcess = process.hProcess;
    return TRUE;
}

} // namespace

ReportedExe::ReportedExe(std::wstring reported)
    : path(std::move(reported)), patch("kernel32", "GetModuleFileNameW", reinterpret_cast<const void*>(ReportExe))
{
    g_exe = this;
}

LimitedToken::LimitedToken(std::vector<int> consent)
    : answers(std::move(consent)),
      probe("advapi32", "RegOpenKeyExA", reinterpret_cast<const void*>(DenyMachineKeys)),
      shell("shell32", "ShellExecuteExA", reinterpret_cast<const void*>(AnswerConsent))
{
    g_token = this;
}
