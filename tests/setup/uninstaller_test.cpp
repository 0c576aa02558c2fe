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
bool g_startFails;
const ImportPatch* g_start;
const wchar_t* g_exe;   // the path the program is told it runs from

BOOL WINAPI RecordStart(LPCSTR shell, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags,
                        LPVOID, LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process)
{
    const bool hidden = (startup->dwFlags & STARTF_USESHOWWINDOW) && startup->wShowWindow == SW_HIDE;
    g_started += std::string(line) + (hidden ? " hidden" : "");
    // The script would delete this test program: the same shell runs nothing instead.
    char nothing[] = "cmd /d /c rem";
    return !g_startFails && reinterpret_cast<decltype(&CreateProcessA)>(reinterpret_cast<void*>(g_start->original))(
                                shell, nothing, nullptr, nullptr, FALSE, flags, nullptr, folder, startup, process);
}

DWORD WINAPI ReportExe(HMODULE, LPWSTR path, DWORD size)
{
    lstrcpynW(path, g_exe, static_cast<int>(size));
    return static_cast<DWORD>(lstrlenW(path));
}

} // namespace

TEST_CASE("the uninstall script names exactly its files, every % doubled, and gives up after a minute")
{
    // The script for exe, its folder (none: no rmdir line) and the script itself, as the
    // command processor must read them.
    const auto script = [](const std::string& exe, const std::string& folder, const std::string& self) {
        return "set BrdlTries=0\r\n:Repeat\r\ndel \"" + exe + "\"\r\nif exist \"" + exe +
               "\" if %BrdlTries% lss 60 (set /a BrdlTries+=1 >nul & ping -n 2 127.0.0.1 >nul & goto Repeat)\r\n" +
               (folder.empty() ? "" : "rmdir \"" + folder + "\"\r\n") + "del \"" + self + "\"\r\n";
    };
    const std::string longExe = "C:\\" + std::string(MAX_PATH - 4, '%'), doubled(2 * (MAX_PATH - 4), '%');
    const std::string cases[][3] = {
        {"C:\\100% Tools\\brdl.EXE", "C:\\%T\\__UNINST.BAT",
         script("C:\\100%% Tools\\brdl.EXE", "C:\\100%% Tools", "C:\\%%T\\__UNINST.BAT")},
        {"brdl.EXE", "T.BAT", script("brdl.EXE", "", "T.BAT")},
        // The longest paths, doubled whole, fit; one of MAX_PATH characters cannot be the program's.
        {longExe, "C:\\" + std::string(MAX_PATH - 4, '%'), script("C:\\" + doubled, "C:", "C:\\" + doubled)},
        {longExe + "%", "T.BAT", ""},
        {"brdl.EXE", longExe + "%", ""},
    };
    for (const auto& c : cases) {
        char bytes[UninstallScriptSize];
        CHECK(std::string(bytes, ComposeUninstallScript(c[0].c_str(), c[1].c_str(), bytes, sizeof bytes)) == c[2]);
    }
}

TEST_CASE("RunUninstall asks first, removes the keys of the installed scope, its whole subtrees and only those, then "
          "starts the script hidden; nothing goes when the script cannot name the program exactly or cannot start")
{
    // InstFlag's 4 bytes (nullptr: none), the answer, whether it asks, the root it removes from (nullptr: none),
    // whether Software\Talvane holds a key of another program, which keeps it, the path the program runs from
    // (nullptr: its own), and whether the script fails to start.
    const struct { const char* flag; int answer; bool asked; HKEY removed; bool other; const wchar_t* exe = nullptr; bool fails = false; } cases[] = {
        {nullptr, IDYES, false, nullptr, true}, {"\0\0\0\0", IDYES, false, nullptr, true},
        {"\2\0\0\0", IDNO, true, nullptr, false}, {"\2\0\0\0", IDYES, true, HKEY_CURRENT_USER, true},
        {"\1\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, false}, {"\7\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, true},
        // The command processor reads the OEM code page: ë is 0x89 there, 0xEB in the ANSI one.
        {"\2\0\0\0", IDYES, true, HKEY_CURRENT_USER, true, L"C:\\Zo\u00EB Werkzeug\\brdl.EXE"},
        // Full-width quotation mark and ampersand: their 8-bit look-alikes would run a command.
        {"\2\0\0\0", IDYES, true, nullptr, true, L"C:\\x\uFF02&mkdir PWNED&\uFF02y\\brdl.EXE"},
        {"\2\0\0\0", IDYES, true, nullptr, true, nullptr, true}};
    const ImportPatch start("kernel32", "CreateProcessA", reinterpret_cast<const void*>(RecordStart));
    g_start = &start;
    TestFolder temp;
    SetEnvironmentVariableA("TMP", temp.path.c_str());
    // Planted by another account sharing the folder: never opened, never run.
    const std::string planted = temp.Sub(UninstallScriptName), script = temp.Sub("__UNINST1.BAT");
    std::ofstream(planted) << "planted";
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string shell = "\"" + std::string(system) + "\\cmd.exe\" /d /v:off /c \"\"" + script + "\"\" hidden";
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher(c.answer);
        g_exe = c.exe;
        g_startFails = c.fails;
        const std::unique_ptr<ImportPatch> exe(
            c.exe ? new ImportPatch("kernel32", "GetModuleFileNameW", reinterpret_cast<const void*>(ReportExe)) : nullptr);
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
        CHECK(catcher.CountOf(IDS_CONFIRM_UNINSTALL) == c.asked);
        CHECK(catcher.CountOf(IDS_CANNOT_REMOVE) == (c.answer == IDYES && c.asked && !c.removed));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            CHECK(KeyExists(root, ToolbarButtonKey) == (root != c.removed));
            CHECK(KeyExists(root, UninstallKey) == (root != c.removed));
        }
        CHECK(KeyExists(HKEY_CURRENT_USER, SettingsKey) == !c.removed);
        CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane") == (c.other || !c.removed));
        CHECK(std::exchange(g_started, "") == (c.removed || c.fails ? shell : ""));
        const std::string written = ReadBytes(script);
        CHECK(written.empty() == !c.removed);
        if (c.exe && c.removed)
            CHECK(written.find("rmdir \"C:\\Zo\x89 Werkzeug\"\r\n") != std::string::npos);
        DeleteFileA(script.c_str());
    }
    CHECK(ReadBytes(planted) == "planted");
    SetEnvironmentVariableA("TMP", nullptr);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}
