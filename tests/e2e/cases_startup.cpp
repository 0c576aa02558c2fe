// A second start finds a running instance by its title, raises it and ends.
#include "e2e/cases.h"

#include "e2e/harness.h"
#include "e2e/product.h"
#include "e2e/system_state.h"

namespace e2e {

namespace {

// A top-level window of this process titled "Brindle", of a class of its own:
// any window of that title counts as the running instance.
class TitledWindow {
public:
    TitledWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "BrdlE2EStandIn";
        RegisterClassA(&windowClass);
        window_ = CreateWindowA("BrdlE2EStandIn", "Brindle", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window_, SW_SHOWMINIMIZED);
        PumpFor(100);
    }
    ~TitledWindow() { DestroyWindow(window_); }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

} // namespace

void SecondStartRaisesRunningInstance()
{
    const std::string before = DumpOwnedKeys();
    TitledWindow running;
    REQUIRE_MSG(IsIconic(running.get()), "the stand-in window is minimised");

    BrdlProcess second = BrdlProcess::Start(BuildExePath());
    // Not installed: without the raise this start would open the install dialog.
    second.RequireQuietExit("the second start");
    CHECK_MSG(WaitUntil(kWindowTimeout, [&] { return !IsIconic(running.get()); }), "the running window is restored");
    CHECK_EQ(DumpOwnedKeys(), before, "registry");
}

void UninstallWhileRunningOnlyRaises()
{
    // An installed copy that is running with its main window minimised.
    const std::string folder = std::string(kScratchFolder) + "\\Running";
    const std::string exe = folder + "\\brdl.EXE";
    CreateFolder(folder);
    REQUIRE_MSG(CopyFileA(BuildExePath().c_str(), exe.c_str(), FALSE), "copy the program to " + exe);
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "InstFlag", static_cast<DWORD>(Scope::CurrentUser));
    SetString(HKEY_CURRENT_USER, kToolbarKey, "Exec", exe);
    SetString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString", "\"" + exe + "\" /u");

    BrdlProcess first = BrdlProcess::Start(exe);
    const HWND mainWindow = first.WaitForWindow(WindowKind::MainWindow);
    ShowWindow(mainWindow, SW_MINIMIZE);
    REQUIRE_MSG(WaitUntil(kWindowTimeout, [&] { return IsIconic(mainWindow) != FALSE; }),
                "the main window is minimised");
    const std::string before = DumpOwnedKeys();

    BrdlProcess second = BrdlProcess::Start(exe, "/u");
    second.RequireQuietExit("\"/u\" while Brindle runs");
    CHECK_MSG(WaitUntil(kWindowTimeout, [&] { return !IsIconic(mainWindow); }), "the main window is restored");
    CHECK_EQ(DumpOwnedKeys(), before, "registry");
    CHECK_MSG(FileExists(exe), "the program file stays");
    CHECK_MSG(!FileExists(UninstallScriptPath()), "no uninstall script is written");

    CloseMainWindow(first, mainWindow);
}

} // namespace e2e
