#include "controls/dpi.h"

UINT WindowDpi(HWND window)
{
    const auto forWindow = NewerUserFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (const UINT dpi = forWindow && window ? forWindow(window) : 0)
        return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : DefaultDpi;
}
