#include <doctest/doctest.h>

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

BOOL WINAPI RecordStart(LPCSTR, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                        LPSTARTUPINFOA startup, LPPROCESS_INFORMATION)
{
    const bool hidden = (startup->dwFlags & STARTF_USESHOWWINDOW) && startup->wShowWindow == SW_HIDE;
    g_started += std::string(line) + (hidden ? " hidden" : "");
    return FALSE;   // started, it would delete this test program
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
          "starts the script hidden")
{
    // InstFlag's 4 bytes (nullptr: none), the answer, whether it asks, the root it removes from (nullptr: none),
    // and whether Software\Talvane holds a key of another program, which keeps it.
    const struct { const char* flag; int answer; bool asked; HKEY removed; bool other; } cases[] = {
        {nullptr, IDYES, false, nullptr, true}, {"\0\0\0\0", IDYES, false, nullptr, true},
        {"\2\0\0\0", IDNO, true, nullptr, false}, {"\2\0\0\0", IDYES, true, HKEY_CURRENT_USER, true},
        {"\1\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, false}, {"\7\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, true}};
    const ImportPatch start("kernel32", "CreateProcessA", reinterpret_cast<const void*>(RecordStart));
    TestFolder temp;
    SetEnvironmentVariableA("TMP", temp.path.c_str());
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher(c.answer);
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
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            CHECK(KeyExists(root, ToolbarButtonKey) == (root != c.removed));
            CHECK(KeyExists(root, UninstallKey) == (root != c.removed));
        }
        CHECK(KeyExists(HKEY_CURRENT_USER, SettingsKey) == !c.removed);
        CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane") == (c.other || !c.removed));
        CHECK(std::exchange(g_started, "") == (c.removed ? "\"" + temp.Sub(UninstallScriptName) + "\" hidden" : ""));
    }
    SetEnvironmentVariableA("TMP", nullptr);
}
