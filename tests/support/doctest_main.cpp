#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>
#include <objbase.h>
#include "app/brindle.h"

int main(int argc, char** argv)
{
    // The code under test loads its dialogs, icons and strings from this module.
    g_instance = GetModuleHandleA(nullptr);
    // A crash must fail the test, not wait for someone to close Wine's crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // As WinMain does: the zone manager and the folder browser need COM.
    CoInitialize(nullptr);
    doctest::Context context(argc, argv);
    const int result = context.run();
    CoUninitialize();
    return result;
}
