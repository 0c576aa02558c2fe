// Points this test program's imports of a platform function at a stand-in while
// it lives. The product is linked into the program, so it calls the stand-in:
// a test sees, and answers, what the product asks of the platform.
#pragma once
#include <windows.h>
#include <vector>

// The platform's own function, for a stand-in that passes a call on.
template <typename Function>
Function PlatformFunction(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name)));
}

struct ImportPatch {
    ImportPatch(const char* dll, const char* function, const void* standIn);
    ~ImportPatch();
    FARPROC original;
    std::vector<FARPROC*> slots;   // empty when the program does not import it
};
