// Points this test program's imports of a platform function at a stand-in while it lives. The product is
// linked into the program, so it calls the stand-in: a test sees, and answers, what it asks of the platform.
#pragma once
#include <windows.h>
#include <vector>

// The platform's own function, named as exported (A or W), for a stand-in that passes a call on.
#define PLATFORM(dll, function) \
    reinterpret_cast<decltype(&function)>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), #function)))

struct ImportPatch {
    ImportPatch(const char* dll, const char* function, const void* standIn);
    template <typename Function>
    ImportPatch(const char* dll, const char* function, Function* standIn)
        : ImportPatch(dll, function, reinterpret_cast<const void*>(standIn)) {}
    ~ImportPatch();
    FARPROC original;
    std::vector<FARPROC*> slots;   // empty when the program does not import it
};
