// Path and file-system helpers of the installer and the uninstaller. Paths are
// NUL-terminated ANSI texts; bounded functions take the buffer's total size in
// bytes, terminator included, and never write past it.
#pragma once
#include <windows.h>

// Removes white space (blank, tab to carriage return) from both ends, in place.
void TrimWhiteSpace(char* text);

// Adds a backslash unless path is empty or ends in one; false when there is no room.
bool EnsureTrailingBackslash(char* path, unsigned size);

// Joins component to path with one backslash (none when path is empty);
// false when the result does not fit in size bytes.
bool AppendPathComponent(char* path, unsigned size, const char* component);

// Creates every missing folder of path, level by level; true when all exist now.
bool CreateDirectoryTree(const char* path);

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

// True when both paths name one existing file: volume and file index name a file
// whatever the spelling (case, short names, links).
bool IsSameFile(const char* first, const char* second);

// A drive letter with its backslash ("C:\") or a network root ("\\server\share"):
// anything else would be taken relative to wherever the program was started.
bool IsFullPath(const char* path);
