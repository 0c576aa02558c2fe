// The display scale a window is drawn at (dots per inch; 96 is 100 %).
#pragma once
#include <windows.h>

constexpr UINT DefaultDpi = 96;
// Sent to each child once its parent has taken a new scale (Windows 10 1703 and later).
constexpr UINT WM_DPICHANGED_AFTERPARENT = 0x02E3;

// Windows 10 answers for each window (per-monitor awareness); before it, every
// window is drawn at the system's DPI.
UINT WindowDpi(HWND window);

// A user32 function that older Windows lack (null there), looked up by name:
// calling it directly would keep the program from starting on them.
template <typename Pointer>
Pointer NewerUserFunction(const char* name)
{
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32"), name)));
}
