// Path and file-system helpers of the installer and the uninstaller. Paths are
// NUL-terminated ANSI texts; bounded functions take the buffer's total size in
// bytes, terminator included, and never write past it.
#pragma once
#include <windows.h>
#include <cstddef>

// Removes white space (blank, tab to carriage return) from both ends, in place.
void TrimWhiteSpace(char* text);

// Adds a backslash unless path is empty or ends in one; false when there is no room.
bool EnsureTrailingBackslash(char* path, unsigned size);

// Joins component to path with one backslash (none when path is empty);
// false when the result does not fit in size bytes.
bool AppendPathComponent(char* path, unsigned size, const char* component);

// Creates every missing folder of path, level by level, with security; true when all
// exist now and accept takes every one of them, made now or there already. firstMade,
// when given, receives the length of the outermost folder made now (0: none), also on failure.
bool CreateDirectoryTree(const char* path, SECURITY_ATTRIBUTES* security = nullptr,
                         bool (*accept)(const char* folder) = nullptr, std::size_t* firstMade = nullptr);

// The last backslash in text; nullptr when there is none. A trail byte of a
// double-byte character is never taken for one.
const char* FindLastBackslash(const char* text);

// wide in codePage (CP_ACP for the 8-bit API, CP_OEMCP for the command processor);
// false when it does not fit in size bytes or a character has no exact equivalent
// there: the platform's best-fit look-alike (a full-width quotation mark becomes
// '"') would name another file, or run a command.
bool ConvertExactly(const wchar_t* wide, UINT codePage, char* text, int size);

// The running executable's full path in codePage; false when it was cut or cannot
// be written exactly there, since either would name another file.
bool GetExecutablePath(char* path, DWORD size, UINT codePage = CP_ACP);

// path in codePage as above, or else by its short (8.3) name, which the volume may have.
bool NameInCodePage(const wchar_t* path, UINT codePage, char* text, int size);

// True when both paths name one existing file: volume and file index name a file
// whatever the spelling (case, short names, links). With singleName, only when that
// file has no other name (a second hard link) either.
bool IsSameFile(const char* first, const char* second, bool singleName = false);

// A folder below a drive root ("C:\Tools") or a share ("\\server\share\Tools"). A root
// itself is refused, and so is a relative path, which would be taken from wherever the
// program was started, and a folder name that Windows would read otherwise.
bool IsFullPath(const char* path);
