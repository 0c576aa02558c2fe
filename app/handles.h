// Owners for the platform's handles, so every path out of a function releases them.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <memory>
#include <type_traits>

struct RegKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// For handles whose failure value is null; file handles are checked for
// INVALID_HANDLE_VALUE before they are handed over.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct LocalMemoryFree {
    void operator()(void* memory) const { LocalFree(memory); }
};
// A heap buffer of bytes, released on every path.
using UniqueBuffer = std::unique_ptr<char[], LocalMemoryFree>;

inline UniqueBuffer AllocateBuffer(size_t size)
{
    return UniqueBuffer(static_cast<char*>(LocalAlloc(LMEM_FIXED, size)));
}

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;
