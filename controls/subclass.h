// Grafting a behaviour onto a control: its state block becomes a window property,
// then the new procedure replaces the control's own.
#pragma once
#include <windows.h>

// On failure the block is freed and the control keeps its own procedure, so it
// still works as a plain control; true when the graft took.
inline bool GraftProcedure(HWND control, const char* property, HGLOBAL block, WNDPROC procedure)
{
    if (!SetPropA(control, property, block)) {
        GlobalFree(block);
        return false;
    }
    if (!SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure))) {
        GlobalFree(RemovePropA(control, property));
        return false;
    }
    return true;
}
