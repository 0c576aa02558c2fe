#include "setup/path_utils.h"

#include <mbstring.h>
#include <cstring>

#include "app/handles.h"

namespace {

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

bool IsSameFile(const char* first, const char* second)
{
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return ReadFileIdentity(first, &a) && ReadFileIdentity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
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

int EnsureTrailingBackslash(char* path, unsigned size)
{
    const std::size_t length = std::strlen(path);
    if (length == 0 || EndsWithBackslash(path))
        return 1;
    if (length + 1 >= size)
        return 0;
    path[length] = '\\';
    path[length + 1] = '\0';
    return 1;
}

int AppendPathComponent(char* path, unsigned size, const char* component)
{
    if (path[0] != '\0' && !EnsureTrailingBackslash(path, size))
        return 0;
    const std::size_t length = std::strlen(path);
    const std::size_t added = std::strlen(component);
    if (length + added >= size)
        return 0;
    std::memcpy(path + length, component, added + 1);
    return 1;
}

int FindPathRootEnd(const char* path, const char** rootEnd)
{
    *rootEnd = path;
    if (path[0] == '\0' || path[1] == '\0' || path[2] == '\0')
        return 0;
    if (path[1] == ':') {
        *rootEnd = path + 2;
        return 1;
    }
    if (path[0] == '\\' && path[1] == '\\') {
        const char* serverEnd = FindBackslash(path + 2);
        const char* shareEnd = serverEnd ? FindBackslash(serverEnd + 1) : nullptr;
        // Without a share name the whole path is the root.
        *rootEnd = shareEnd ? shareEnd : path + std::strlen(path);
        return 1;
    }
    return 0;
}

int PathExists(const char* path, int* isDirectory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    if (isDirectory)
        *isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    FindClose(search);
    return 1;
}

int CreateDirectoryTree(const char* path)
{
    const std::size_t length = std::strlen(path);
    HeapBuffer copy = AllocateBuffer(length + 1);
    if (!copy)
        return 0;
    std::memcpy(copy.get(), path, length + 1);

    // An unrecognised root leaves rootEnd at the start: relative paths are created too.
    const char* rootEnd;
    FindPathRootEnd(copy.get(), &rootEnd);
    char* at = copy.get() + (rootEnd - copy.get());
    if (*at == '\0')
        return 1;
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
        int isDirectory = 0;
        if (PathExists(copy.get(), &isDirectory)) {
            if (!isDirectory)
                return 0;
        } else if (!CreateDirectoryA(copy.get(), nullptr)) {
            return 0;
        }
        *at = kept;
        if (kept == '\0')
            return 1;
    }
}

const char* FindBackslash(const char* text)
{
    for (const char* at = text; *at != '\0'; at = CharNextA(at)) {
        if (*at == '\\')
            return at;
    }
    return nullptr;
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
    // UTF-8 has every character and takes neither the flag nor the "used default" answer.
    const UINT actual = codePage == CP_ACP ? GetACP() : codePage == CP_OEMCP ? GetOEMCP() : codePage;
    BOOL inexact = FALSE;
    if (actual == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, size, nullptr, nullptr) != 0;
    return WideCharToMultiByte(actual, WC_NO_BEST_FIT_CHARS, wide, -1, text, size, nullptr, &inexact) != 0 &&
           !inexact;
}

int GetExecutablePath(char* path, DWORD size, UINT codePage)
{
    // A path that fills the buffer was cut.
    wchar_t wide[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    return length != 0 && length < MAX_PATH && ConvertExactly(wide, codePage, path, static_cast<int>(size));
}

bool IsFullPath(const char* path)
{
    const char letter = static_cast<char>(path[0] | 0x20);
    if (letter >= 'a' && letter <= 'z' && path[1] == ':')
        return path[2] == '\\';
    if (path[0] != '\\' || path[1] != '\\' || path[2] == '\\' || path[2] == '\0')
        return false;
    const char* serverEnd = FindBackslash(path + 2);
    return serverEnd && serverEnd[1] != '\\' && serverEnd[1] != '\0';
}
