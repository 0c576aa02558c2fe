#include "setup/path_utils.h"

#include <mbstring.h>
#include <cstring>

#include "app/handles.h"

namespace {

// The first backslash at or after text; nullptr when there is none.
const char* FindBackslash(const char* text)
{
    for (const char* at = text; *at != '\0'; at = CharNextA(at)) {
        if (*at == '\\')
            return at;
    }
    return nullptr;
}

// Sets rootEnd behind the drive ("C:") or network ("\\server\share") root of path;
// true when a root was recognised, else false with rootEnd at the start of path.
bool FindPathRootEnd(const char* path, const char** rootEnd)
{
    *rootEnd = path;
    if (path[0] == '\0' || path[1] == '\0' || path[2] == '\0')
        return false;
    if (path[1] == ':') {
        *rootEnd = path + 2;
        return true;
    }
    if (path[0] == '\\' && path[1] == '\\') {
        const char* serverEnd = FindBackslash(path + 2);
        const char* shareEnd = serverEnd ? FindBackslash(serverEnd + 1) : nullptr;
        // Without a share name the whole path is the root.
        *rootEnd = shareEnd ? shareEnd : path + std::strlen(path);
        return true;
    }
    return false;
}

// Creates folder with security unless it is there; either way it must be a folder
// that accept takes. One made now is read back too: a volume that keeps no access
// lists (FAT, some shares) drops security without a word.
bool MakeFolder(const char* folder, SECURITY_ATTRIBUTES* security, bool (*accept)(const char*), bool* made)
{
    *made = GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES && CreateDirectoryA(folder, security);
    const DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (!accept || accept(folder));
}

// The runtime's test knows the code page; bytes of 0x80 and up are never blank.
bool IsWhiteSpace(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && _ismbcspace(byte);
}

bool EndsWithBackslash(const char* path)
{
    const char* last = FindLastBackslash(path);
    return last && last[1] == '\0';
}

bool ReadFileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const BOOL read = GetFileInformationByHandle(file, identity);
    CloseHandle(file);
    return read != FALSE;
}

} // namespace

bool IsSameFile(const char* first, const char* second, bool singleName)
{
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return ReadFileIdentity(first, &a) && ReadFileIdentity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow && (!singleName || a.nNumberOfLinks == 1);
}

void TrimWhiteSpace(char* text)
{
    if (IsWhiteSpace(text[0])) {
        std::size_t run = 0;
        while (IsWhiteSpace(text[run]))
            ++run;
        std::memmove(text, text + run, std::strlen(text + run) + 1);
    }
    std::size_t length = std::strlen(text);
    while (length > 0 && IsWhiteSpace(text[length - 1]))
        text[--length] = '\0';
}

bool EnsureTrailingBackslash(char* path, unsigned size)
{
    const std::size_t length = std::strlen(path);
    if (length == 0 || EndsWithBackslash(path))
        return true;
    if (length + 1 >= size)
        return false;
    path[length] = '\\';
    path[length + 1] = '\0';
    return true;
}

bool AppendPathComponent(char* path, unsigned size, const char* component)
{
    if (path[0] != '\0' && !EnsureTrailingBackslash(path, size))
        return false;
    const std::size_t length = std::strlen(path);
    const std::size_t added = std::strlen(component);
    if (length + added >= size)
        return false;
    std::memcpy(path + length, component, added + 1);
    return true;
}

bool CreateDirectoryTree(const char* path, SECURITY_ATTRIBUTES* security, bool (*accept)(const char*),
                         std::size_t* firstMade)
{
    if (firstMade)
        *firstMade = 0;
    const std::size_t length = std::strlen(path);
    HeapBuffer copy = AllocateBuffer(length + 1);
    if (!copy)
        return false;
    std::memcpy(copy.get(), path, length + 1);

    // An unrecognised root leaves rootEnd at the start: relative paths are created too.
    const char* rootEnd;
    FindPathRootEnd(copy.get(), &rootEnd);
    char* at = copy.get() + (rootEnd - copy.get());
    if (*at == '\0')
        return true;
    for (;;) {
        // Character-wise, so that a double-byte character never ends a component.
        char* last = at;
        at = CharNextA(at);
        while (*at != '\0' && *at != '\\') {
            last = at;
            at = CharNextA(at);
        }
        if (*last == '\\')
            return *at == '\0';   // a trailing backslash ends the walk; two in a row fail
        const char kept = *at;
        *at = '\0';
        bool made = false;
        const bool taken = MakeFolder(copy.get(), security, accept, &made);
        if (made && firstMade && *firstMade == 0)
            *firstMade = at - copy.get();
        if (!taken)
            return false;
        *at = kept;
        if (kept == '\0')
            return true;
    }
}

const char* FindLastBackslash(const char* text)
{
    const char* last = nullptr;
    for (const char* at = FindBackslash(text); at; at = FindBackslash(at + 1))
        last = at;
    return last;
}

bool ConvertExactly(const wchar_t* wide, UINT codePage, char* text, int size)
{
    // UTF-8 has every character and takes neither the flag nor the "used default" answer;
    // only a lone surrogate has no form, which would otherwise become U+FFFD, another name.
    const UINT actual = codePage == CP_ACP ? GetACP() : codePage == CP_OEMCP ? GetOEMCP() : codePage;
    BOOL inexact = FALSE;
    if (actual == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, text, size, nullptr, nullptr) != 0;
    return WideCharToMultiByte(actual, WC_NO_BEST_FIT_CHARS, wide, -1, text, size, nullptr, &inexact) != 0 &&
           !inexact;
}

bool GetExecutablePath(char* path, DWORD size, UINT codePage)
{
    // A path that fills the buffer was cut.
    wchar_t wide[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    return length != 0 && length < MAX_PATH && ConvertExactly(wide, codePage, path, static_cast<int>(size));
}

bool IsFullPath(const char* path)
{
    // Behind the root: "C:\", or "\\server\share\" (not a device path such as "\\?\").
    const char* below;
    const char letter = static_cast<char>(path[0] | 0x20);
    if (letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\') {
        below = path + 3;
    } else {
        if (path[0] != '\\' || path[1] != '\\' || path[2] == '\\' || path[2] == '?' || path[2] == '.' ||
            path[2] == '\0')
            return false;
        const char* serverEnd = FindBackslash(path + 2);
        const char* shareEnd = serverEnd && serverEnd[1] != '\\' ? FindBackslash(serverEnd + 1) : nullptr;
        if (!shareEnd)
            return false;
        below = shareEnd + 1;
    }
    // At least one folder below the root, each named as Windows takes it: it drops a
    // name's trailing dots and blanks, so "..", "." or "Tools." would name the folder
    // above, the one before or another one, whose whole content a removal would take.
    if (*below == '\0')
        return false;
    for (const char* name = below; *name != '\0';) {
        const char* end = FindBackslash(name);
        const std::size_t length = end ? static_cast<std::size_t>(end - name) : std::strlen(name);
        if (length == 0 || name[length - 1] == '.' || name[length - 1] == ' ')
            return false;
        name += length + (end ? 1 : 0);
    }
    return true;
}

bool NameInCodePage(const wchar_t* path, UINT codePage, char* text, int size)
{
    if (ConvertExactly(path, codePage, text, size))
        return true;
    wchar_t shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    return length != 0 && length < MAX_PATH && ConvertExactly(shortPath, codePage, text, size);
}
