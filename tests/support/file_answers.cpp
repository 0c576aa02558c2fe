#include "support/file_answers.h"

#include <sddl.h>
#include <cstring>

namespace {

FileAnswers* g_answers;

bool IsAnswered(const char* path, bool junction)
{
    return g_answers->name && std::string(path).ends_with(std::string("\\") + g_answers->name) &&
           (std::strcmp(g_answers->answer, "junction") == 0) == junction;
}

BOOL WINAPI ReadSecurity(LPCSTR path, SECURITY_INFORMATION asked, PSECURITY_DESCRIPTOR to, DWORD size, DWORD* need)
{
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!IsAnswered(path, false) ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorA(g_answers->answer, SDDL_REVISION_1, &made, nullptr))
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
    static const std::string user = [] {
        HANDLE token;
        BYTE user[256];
        DWORD size;
        char* text = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
        GetTokenInformation(token, TokenUser, user, sizeof user, &size);
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &text);
        return std::string(text);
    }();
    char* text = nullptr;
    if (!security || !security->lpSecurityDescriptor || !ConvertSecurityDescriptorToStringSecurityDescriptorA(
                         security->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        return;
    g_answers->madeWith = text;
    if (const size_t at = g_answers->madeWith.find(user); at != std::string::npos)
        g_answers->madeWith.replace(at, user.size(), "USER");
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

DWORD WINAPI ShortName(LPCWSTR path, LPWSTR name, DWORD size)
{
    return g_answers->shortNames ? PLATFORM("kernel32", GetShortPathNameW)(path, name, size) : 0;
}

} // namespace

FileAnswers::FileAnswers(const char* named, const char* answered, bool shortNamed)
    : name(named), answer(answered), shortNames(shortNamed),
      security("advapi32", "GetFileSecurityA", ReadSecurity),
      attributes("kernel32", "GetFileAttributesA", ReadAttributes),
      folderA("kernel32", "CreateDirectoryA", MakeFolderA), folderW("kernel32", "CreateDirectoryW", MakeFolderW),
      shortName("kernel32", "GetShortPathNameW", ShortName)
{
    g_answers = this;
}
