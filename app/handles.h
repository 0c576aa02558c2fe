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

struct HeapBufferFree {
    void operator()(char* buffer) const { HeapFree(GetProcessHeap(), 0, buffer); }
};
// A heap buffer of bytes, released on every path out of the scope that obtained it.
using HeapBuffer = std::unique_ptr<char[], HeapBufferFree>;

// An empty buffer on failure: callers test it before use.
inline HeapBuffer AllocateBuffer(size_t size)
{
    return HeapBuffer(static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size)));
}

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;

struct LocalMemoryFree {
    void operator()(void* memory) const { LocalFree(memory); }
};
// A block the platform allocated with LocalAlloc for the caller (a security descriptor).
using LocalSecurity = std::unique_ptr<void, LocalMemoryFree>;
