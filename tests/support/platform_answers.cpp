#include "support/platform_answers.h"

#include <sddl.h>
#include <shellapi.h>
#include <algorithm>
#include <cstring>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "support/sandbox.h"

namespace {

PlatformAnswers* g_platform;

DWORD WINAPI ReportExe(HMODULE, LPWSTR path, DWORD size)
{
    lstrcpynW(path, g_platform->exe.c_str(), static_cast<int>(size));
    return std::min(static_cast<DWORD>(g_platform->exe.size()), size);
}

LONG WINAPI DenyMachineKeys(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key)
{
    if (root == HKEY_LOCAL_MACHINE && (access & KEY_CREATE_SUB_KEY) && g_platform->limited && !g_platform->elevated)
        return ERROR_ACCESS_DENIED;
    g_platform->copyUsedUserKeys |= g_platform->elevated && root == HKEY_CURRENT_USER;
    if (g_platform->keptKey && subKey && std::strcmp(subKey, g_platform->keptKey) == 0 && (access & DELETE))
        return ERROR_ACCESS_DENIED;
    if (access & (WRITE_DAC | WRITE_OWNER))   // no key here lets this user change who may use it
        return ERROR_ACCESS_DENIED;
    return PLATFORM("advapi32", RegOpenKeyExA)(root, subKey, options, access, key);
}

LONG WINAPI CreateKey(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR type, DWORD options, REGSAM access,
                      SECURITY_ATTRIBUTES* security, PHKEY key, DWORD* disposition)
{
    g_platform->copyUsedUserKeys |= g_platform->elevated && root == HKEY_CURRENT_USER;
    if (g_platform->refusedKey && std::strcmp(subKey, g_platform->refusedKey) == 0)
        return ERROR_ACCESS_DENIED;
    return PLATFORM("advapi32", RegCreateKeyExA)(root, subKey, reserved, type, options, access, security, key,
                                                 disposition);
}

LONG WINAPI QueryValue(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size)
{
    if (!data || !g_platform->growing || !name || std::strcmp(name, g_platform->growing) != 0)
        return PLATFORM("advapi32", RegQueryValueExA)(key, name, reserved, type, data, size);
    *size = 4096;
    return ERROR_MORE_DATA;
}

BOOL WINAPI AnswerToken(HANDLE token, TOKEN_INFORMATION_CLASS asked, void* answer, DWORD size, DWORD* needed)
{
    const auto type = g_platform->twin ? TokenElevationTypeFull : TokenElevationTypeDefault;
    if (asked == TokenElevationType)
        *static_cast<TOKEN_ELEVATION_TYPE*>(answer) = type;
    else if (asked == TokenElevation)
        static_cast<TOKEN_ELEVATION*>(answer)->TokenIsElevated = !g_platform->limited || g_platform->elevated;
    else
        return PLATFORM("advapi32", GetTokenInformation)(token, asked, answer, size, needed);
    return TRUE;
}

// As WinMain reads the switches and runs the copy's part, then a process that ends with the result.
BOOL WINAPI AnswerConsent(SHELLEXECUTEINFOA* run)
{
    std::string parameters = run->lpParameters;
    const char* folder = nullptr;
    const AllUsersPart part = ReadAllUsersPart(&parameters[0], &folder);
    g_platform->started += std::string(run->lpVerb) + ' ' + run->lpFile +
                        (part == AllUsersPart::Install ? " install into " + std::string(folder)
                         : part == AllUsersPart::Remove ? " remove" : " " + std::string(run->lpParameters)) +
                        (IsWindowVisible(run->hwnd) && !IsWindowEnabled(run->hwnd) ? " over its window|" : "|");
    int answer = g_platform->answers.front();
    g_platform->answers.erase(g_platform->answers.begin());
    if (answer == Declined || answer == NotStarted) {
        SetLastError(answer == Declined ? ERROR_CANCELLED : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    g_platform->elevated = true;   // the copy's part may write the machine's keys
    if (answer == Run)
        answer = (part == AllUsersPart::Install ? InstallForAllUsers(folder) : RemoveForAllUsers())
                     ? CopySucceeded : CopyFailedAndTold;
    g_platform->elevated = false;
    wchar_t line[32];
    wsprintfW(line, L"cmd /d /c exit %d", answer);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // Not in the row's folder, which a process's current folder would keep from its sweep.
    CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, L"C:\\", &startup, &process);
    CloseHandle(process.hThread);
    run->hProcess = process.hProcess;
    return TRUE;
}

bool IsAnswered(const char* path, bool junction)
{
    return g_platform->named && std::string(path).ends_with(std::string("\\") + g_platform->named) &&
           (std::strcmp(g_platform->access, "junction") == 0) == junction;
}

const std::string& UserSid()
{
    static const std::string user = [] {
        HANDLE token;
        BYTE sid[256];
        DWORD size;
        char* text = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
        GetTokenInformation(token, TokenUser, sid, sizeof sid, &size);
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(sid)->User.Sid, &text);
        return std::string(text);
    }();
    return user;
}

BOOL WINAPI ReadSecurity(LPCSTR path, SECURITY_INFORMATION asked, PSECURITY_DESCRIPTOR to, DWORD size, DWORD* need)
{
    std::string answer = IsAnswered(path, false) ? g_platform->access : g_platform->others ? g_platform->others : "";
    if (const size_t at = answer.find("USER"); at != std::string::npos)
        answer.replace(at, 4, UserSid());
    PSECURITY_DESCRIPTOR made = nullptr;
    if (answer.empty() ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorA(answer.c_str(), SDDL_REVISION_1, &made, nullptr))
        return PLATFORM("advapi32", GetFileSecurityA)(path, asked, to, size, need);
    *need = GetSecurityDescriptorLength(made);
    const bool fits = size >= *need;
    if (fits)
        std::memcpy(to, made, *need);
    LocalFree(made);
    return fits || (SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE);
}

DWORD WINAPI ReadAttributes(LPCSTR path)
{
    return PLATFORM("kernel32", GetFileAttributesA)(path) | (IsAnswered(path, true) ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}

void Record(const SECURITY_ATTRIBUTES* security)
{
    char* text = nullptr;
    if (!security || !security->lpSecurityDescriptor || !ConvertSecurityDescriptorToStringSecurityDescriptorA(
                         security->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        return;
    g_platform->madeWith = text;
    if (const size_t at = g_platform->madeWith.find(UserSid()); at != std::string::npos)
        g_platform->madeWith.replace(at, UserSid().size(), "USER");
}

BOOL WINAPI MakeFolderA(LPCSTR path, LPSECURITY_ATTRIBUTES security)
{
    Record(security);
    return PLATFORM("kernel32", CreateDirectoryA)(path, security);
}

BOOL WINAPI MakeFolderW(LPCWSTR path, LPSECURITY_ATTRIBUTES security)
{
    Record(security);
    return PLATFORM("kernel32", CreateDirectoryW)(path, security);
}

// As Windows copies a file: with its streams, a download's mark of the web among them (Wine keeps that as a file
// of the same name and the stream's).
BOOL WINAPI CopyWithMark(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    const std::string mark = ":Zone.Identifier";
    return PLATFORM("kernel32", CopyFileA)(from, to, failIfExists) &&
           (!Exists(from + mark) || PLATFORM("kernel32", CopyFileA)((from + mark).c_str(), (to + mark).c_str(), 0));
}

DWORD WINAPI ShortName(LPCWSTR path, LPWSTR name, DWORD size)
{
    return g_platform->shortNames ? PLATFORM("kernel32", GetShortPathNameW)(path, name, size) : 0;
}

} // namespace

PlatformAnswers::PlatformAnswers(std::wstring path, std::vector<int> consent, bool limitedToken, bool shortNamed)
    : exe(std::move(path)), answers(std::move(consent)), limited(limitedToken || !answers.empty()),
      shortNames(shortNamed), exePath("kernel32", "GetModuleFileNameW", ReportExe),
      probe("advapi32", "RegOpenKeyExA", DenyMachineKeys), shell("shell32", "ShellExecuteExA", AnswerConsent),
      token("advapi32", "GetTokenInformation", AnswerToken), create("advapi32", "RegCreateKeyExA", CreateKey),
      security("advapi32", "GetFileSecurityA", ReadSecurity),
      attributes("kernel32", "GetFileAttributesA", ReadAttributes),
      folderA("kernel32", "CreateDirectoryA", MakeFolderA), folderW("kernel32", "CreateDirectoryW", MakeFolderW),
      shortName("kernel32", "GetShortPathNameW", ShortName), query("advapi32", "RegQueryValueExA", QueryValue),
      copy("kernel32", "CopyFileA", CopyWithMark)
{
    g_platform = this;
}
