#include "setup/folder_access.h"

#include <sddl.h>
#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// As SDDL writes them, and as ConvertSidToStringSid answers.
constexpr const char* TrustedSids[] = {
    "S-1-5-18",       // SYSTEM
    "S-1-5-32-544",   // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",   // TrustedInstaller
};
// CREATOR OWNER: whoever creates something below the folder, this process when it copies. Not CREATOR
// GROUP, which stands for that account's primary group ("None" or "Domain Users"): every user.
constexpr const char* CreatorSids[] = {"S-1-3-0"};

// Any right to change a file or folder, what it holds, its name or who may change it.
constexpr ACCESS_MASK ChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                     FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                     GENERIC_ALL;

// The longest SID text: "S-1-" and fifteen 32-bit numbers with their dashes, and more.
constexpr int SidTextSize = 192;

bool SidText(PSID sid, char (&text)[SidTextSize])
{
    char* converted = nullptr;
    if (!ConvertSidToStringSidA(sid, &converted))
        return false;
    const LocalSecurity owned(converted);
    return lstrcpynA(text, converted, SidTextSize) && std::strlen(converted) < SidTextSize;
}

bool ProcessUserSid(char (&text)[SidTextSize])
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    const BOOL read = GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    CloseHandle(token);
    return read && SidText(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, text);
}

// Whether this account also runs programs without its rights: an administrator's
// token elevated through the consent prompt has such a limited twin. Unknown counts as yes.
bool HasLimitedTwin()
{
    HANDLE token;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeFull;
    DWORD size;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
        CloseHandle(token);
    }
    return type != TokenElevationTypeDefault;
}

template <std::size_t N>
bool IsOneOf(const char* sid, const char* const (&sids)[N])
{
    return std::any_of(std::begin(sids), std::end(sids), [sid](const char* s) { return std::strcmp(sid, s) == 0; });
}

bool IsTrusted(PSID sid, const char* user)
{
    char text[SidTextSize];
    return SidText(sid, text) && (IsOneOf(text, TrustedSids) || std::strcmp(text, user) == 0);
}

// A grant that changes nothing, or that goes to a trusted account or to the creator
// of what is made below (this process).
bool GrantsNoOneElse(const void* ace, const char* user)
{
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE)
        return true;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
        return false;   // a kind of grant not read here
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    char text[SidTextSize];
    return !(allowed->Mask & ChangeRights) || IsTrusted(sid, user) ||
           (SidText(sid, text) && IsOneOf(text, CreatorSids));
}

} // namespace

LocalSecurity MakeFolderSecurity(FolderAccess access)
{
    // "P": nothing inherited from the parent; "OICI": passed on to files and folders below.
    char sddl[128 + SidTextSize] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    char user[SidTextSize];
    if (access == FolderAccess::AllUsers)
        std::strcat(sddl, "(A;OICI;0x1200a9;;;BU)");   // read and run
    else if (access == FolderAccess::CurrentUser && ProcessUserSid(user))
        wsprintfA(sddl + std::strlen(sddl), "(A;OICI;FA;;;%s)", user);
    else if (access == FolderAccess::CurrentUser)
        return nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &security, nullptr);
    return LocalSecurity(security);
}

bool OnlyTrustedMayChange(const char* path, FolderAccess access)
{
    const DWORD attributes = GetFileAttributesA(path);
    char user[SidTextSize] = "";   // no SID matches an empty text
    const bool trustUser = access == FolderAccess::CurrentUser || !HasLimitedTwin();
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (trustUser && !ProcessUserSid(user)))
        return false;
    constexpr SECURITY_INFORMATION asked = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityA(path, asked, nullptr, 0, &size);
    HeapBuffer security = AllocateBuffer(size);
    if (!security || !GetFileSecurityA(path, asked, security.get(), size, &size))
        return false;
    PSID owner = nullptr;
    PACL list = nullptr;
    BOOL defaulted, present = FALSE;
    // The owner may always change the access list; no list at all lets everyone in.
    if (!GetSecurityDescriptorOwner(security.get(), &owner, &defaulted) || !owner || !IsTrusted(owner, user) ||
        !GetSecurityDescriptorDacl(security.get(), &present, &list, &defaulted) || !present || !list)
        return false;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(list, i, &ace) || !GrantsNoOneElse(ace, user))
            return false;
    }
    return true;
}
