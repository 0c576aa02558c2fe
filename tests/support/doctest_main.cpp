#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include <objbase.h>
#include "app/brindle.h"

// Before any test, as WinMain does: the code under test loads its dialogs, icons and
// strings from this module, and the zone manager and the folder browser need COM.
static const bool g_ready = [] {
    g_instance = GetModuleHandleA(nullptr);
    // A crash must fail the test, not wait for someone to close Wine's crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return SUCCEEDED(CoInitialize(nullptr));
}();
