// DLLs that are no known DLLs of Windows (comctl32, oleacc), loaded at run time.
#pragma once
#include <windows.h>
#include <cstring>

// By its full path in the system folder, never a copy a web page may have dropped
// beside a downloaded executable; null when it cannot be loaded. Kept loaded.
inline HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH + 16];   // the folder, a backslash and a name of up to 14 characters
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || std::strlen(name) > 14)
        return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, name);
    return LoadLibraryA(path);
}

// Function name of the library, or null when either is missing.
template <typename Pointer>
Pointer SystemLibraryFunction(HMODULE library, const char* name)
{
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(library ? GetProcAddress(library, name) : nullptr));
}
