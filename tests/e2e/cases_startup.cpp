// A second start finds a running instance by its title, raises it and ends.
#include <memory>

#include "e2e/driver.h"

namespace e2e {

void SecondStartRaisesRunningInstance()
{
    // Any top-level window titled "Brindle" counts as the running instance.
    const std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)> running(
        CreateWindowA("STATIC", "Brindle", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr),
        DestroyWindow);
    ShowWindow(running.get(), SW_SHOWMINIMIZED);
    REQUIRE(IsIconic(running.get()), "the stand-in window is minimised");

    BrdlProcess second(Quote(BuildExePath()));
    // Not installed: without the raise this start would open the install dialog.
    second.RequireQuietExit("the second start");
    CHECK(WaitUntil(kTimeout, [&] { return !IsIconic(running.get()); }), "the running window is restored");
    CHECK_EQ(DumpOwnedKeys(), "", "registry");
}

void UninstallWhileRunningOnlyRaises()
{
    // An installed copy that is running with its main window minimised.
    const std::string exe = CopyProgram(std::string(kScratchFolder) + "\\Running");
    SetValue(HKEY_CURRENT_USER, kSettingsKey, Dword("InstFlag", static_cast<DWORD>(Scope::CurrentUser)));
    RecordEntries(HKEY_CURRENT_USER, exe);
    BrdlProcess first(Quote(exe));
    const HWND mainWindow = first.WaitFor(WindowKind::MainWindow);
    ShowWindow(mainWindow, SW_MINIMIZE);
    REQUIRE(WaitUntil(kTimeout, [&] { return IsIconic(mainWindow) != FALSE; }), "the main window is minimised");
    const std::string before = DumpOwnedKeys();

    BrdlProcess second(Quote(exe) + " /u");
    second.RequireQuietExit("\"/u\" while Brindle runs");
    CHECK(WaitUntil(kTimeout, [&] { return !IsIconic(mainWindow); }), "the main window is restored");
    CHECK_EQ(DumpOwnedKeys(), before, "registry");
    CHECK(Exists(exe), "the program file stays");
    CHECK(!Exists(UninstallScriptPath()), "no uninstall script is written");
    CloseMainWindow(first, mainWindow);
}

} // namespace e2e
