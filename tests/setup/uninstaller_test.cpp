#include <doctest/doctest.h>

#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "support/message_box_catcher.h"
#include "support/sandbox.h"

namespace {

std::string g_started;   // the command line of each process started, and " hidden" when it shows no window
const ImportPatch* g_start;
bool g_startFails;
std::wstring g_exe;   // the path the program is told it runs from, cut as the platform cuts

BOOL WINAPI RecordStart(LPCSTR shell, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags,
                        LPVOID, LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process)
{
    const bool hidden = (startup->dwFlags & STARTF_USESHOWWINDOW) && startup->wShowWindow == SW_HIDE;
    g_started += std::string(line) + (hidden ? " hidden" : "");
    char nothing[] = "cmd /d /c rem";   // the script would delete this test program
    return !g_startFails && reinterpret_cast<decltype(&CreateProcessA)>(reinterpret_cast<void*>(g_start->original))(
                                shell, nothing, nullptr, nullptr, FALSE, flags, nullptr, folder, startup, process);
}

DWORD WINAPI ReportExe(HMODULE, LPWSTR path, DWORD size)
{
    lstrcpynW(path, g_exe.c_str(), static_cast<int>(size));
    return std::min(static_cast<DWORD>(g_exe.size()), size);
}

} // namespace

TEST_CASE("RunUninstall asks first, then starts a hidden script that names exactly the program, its folder and "
          "itself, and removes the keys of the installed scope, their subtrees and only those")
{
    // InstFlag's 4 bytes (nullptr: none), the answer, the root it removes from (nullptr: none; with Yes, message
    // 125), whether Software\Talvane holds another program's key, which keeps it, the path the program runs from,
    // the same as the script must write it (the OEM code page, every % doubled), and a start that fails.
    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 4, L'%');
    const struct { const char* flag; int answer; HKEY removed; bool other; std::wstring exe = L""; std::string named = ""; bool fails = false; } cases[] = {
        {nullptr, IDYES, nullptr, true}, {"\0\0\0\0", IDYES, nullptr, true}, {"\2\0\0\0", IDNO, nullptr, false},
        {"\2\0\0\0", IDYES, HKEY_CURRENT_USER, true, L"C:\\100% Zo\u00EB\\brdl.EXE", "C:\\100%% Zo\x89\\brdl.EXE"},
        {"\1\0\0\0", IDYES, HKEY_LOCAL_MACHINE, false, L"brdl.EXE", "brdl.EXE"},   // no folder to remove
        {"\7\0\0\0", IDYES, HKEY_LOCAL_MACHINE, true, longest, "C:\\" + std::string(2 * (MAX_PATH - 4), '%')},
        {"\2\0\0\0", IDYES, nullptr, true, longest + L"%"},   // cut: it would name another file
        // Full-width quotation mark and ampersand: their 8-bit look-alikes would run a command.
        {"\2\0\0\0", IDYES, nullptr, true, L"C:\\x\uFF02&mkdir PWNED&\uFF02y\\brdl.EXE"},
        {"\2\0\0\0", IDYES, nullptr, true, L"C:\\A\\brdl.EXE", "", true}};
    const ImportPatch start("kernel32", "CreateProcessA", reinterpret_cast<const void*>(RecordStart));
    const ImportPatch exe("kernel32", "GetModuleFileNameW", reinterpret_cast<const void*>(ReportExe));
    g_start = &start;
    TestFolder temp;
    SetEnvironmentVariableA("TMP", temp.path.c_str());
    // Planted by another account sharing the folder: never opened, never run.
    const std::string planted = temp.Sub(UninstallScriptName), script = temp.Sub("__UNINST1.BAT");
    std::ofstream(planted) << "planted";
    for (const auto& c : cases) {
        CAPTURE(c.named);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher(c.answer);
        g_exe = c.exe;
        g_startFails = c.fails;
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            WriteDword(root, (std::string(ToolbarButtonKey) + "\\Sub").c_str(), "x", 1);
            WriteDword(root, UninstallKey, "x", 1);
        }
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL\\Sub\\Deeper", "x", 1);
        if (c.other)
            WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\Other", "x", 1);
        if (c.flag)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, "InstFlag", REG_DWORD, c.flag, 4);
        RunUninstall();
        const bool asked = c.flag && c.flag[0];
        CHECK(catcher.CountOf(IDS_CONFIRM_UNINSTALL) == asked);
        CHECK(catcher.CountOf(IDS_CANNOT_REMOVE) == (asked && c.answer == IDYES && !c.removed));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            CHECK(KeyExists(root, ToolbarButtonKey) == (root != c.removed));
            CHECK(KeyExists(root, UninstallKey) == (root != c.removed));
        }
        CHECK(KeyExists(HKEY_CURRENT_USER, SettingsKey) == !c.removed);
        CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane") == (c.other || !c.removed));
        const std::string shell = "\"C:\\windows\\system32\\cmd.exe\" /d /v:off /c \"\"" + script + "\"\" hidden";
        CHECK(std::exchange(g_started, "") == (c.removed || c.fails ? shell : ""));
        // Each retry waits a second; after a minute the script gives up, and still deletes itself.
        const std::string folder = c.named.substr(0, c.named.rfind('\\') + 1);
        CHECK(ReadBytes(script) ==
              (c.removed ? "set BrdlTries=0\r\n:Repeat\r\ndel \"" + c.named + "\"\r\nif exist \"" + c.named +
                               "\" if %BrdlTries% lss 60 (set /a BrdlTries+=1 >nul & ping -n 2 127.0.0.1 >nul & goto "
                               "Repeat)\r\n" + (folder.empty() ? "" : "rmdir \"" + folder.substr(0, folder.size() - 1) +
                               "\"\r\n") + "del \"" + script + "\"\r\n"
                         : ""));
        DeleteFileA(script.c_str());
    }
    CHECK(ReadBytes(planted) == "planted");
    SetEnvironmentVariableA("TMP", nullptr);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}
