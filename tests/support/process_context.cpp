#include "support/process_context.h"

#include <shellapi.h>
#include <algorithm>
#include <cstring>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "support/sandbox.h"

namespace {

ProcessContext* g_token;

DWORD WINAPI ReportExe(HMODULE, LPWSTR path, DWORD size)
{
    lstrcpynW(path, g_token->exe.c_str(), static_cast<int>(size));
    return std::min(static_cast<DWORD>(g_token->exe.size()), size);
}

LONG WINAPI DenyMachineKeys(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key)
{
    if (root == HKEY_LOCAL_MACHINE && (access & KEY_CREATE_SUB_KEY) && g_token->limited && !g_token->elevated)
        return ERROR_ACCESS_DENIED;
    return PLATFORM("advapi32", RegOpenKeyExA)(root, subKey, options, access, key);
}

// As WinMain runs the switches, then a process that ends with the result.
BOOL WINAPI AnswerConsent(SHELLEXECUTEINFOA* run)
{
    g_token->started += std::string(run->lpVerb) + ' ' + run->lpFile + ' ' + run->lpParameters + '|';
    int answer = g_token->answers.front();
    g_token->answers.erase(g_token->answers.begin());
    if (answer == Declined || answer == NotStarted) {
        SetLastError(answer == Declined ? ERROR_CANCELLED : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    g_token->elevated = true;   // the copy's part may write the machine's keys
    const std::string folder = std::strchr(run->lpParameters, '"') ? std::strchr(run->lpParameters, '"') + 1 : "";
    if (answer == Run)
        answer = folder.empty() ? !RemoveForAllUsers() : !InstallForAllUsers(folder.substr(0, folder.size() - 1).c_str());
    if (!folder.empty() && KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"))
        g_token->started += "wrote HKEY_CURRENT_USER|";   // the copy's may be another account's
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

ProcessContext::ProcessContext(std::wstring path, std::vector<int> consent)
    : exe(std::move(path)), answers(std::move(consent)), limited(!answers.empty()),
      exePath("kernel32", "GetModuleFileNameW", ReportExe), probe("advapi32", "RegOpenKeyExA", DenyMachineKeys),
      shell("shell32", "ShellExecuteExA", AnswerConsent)
{
    g_token = this;
}
