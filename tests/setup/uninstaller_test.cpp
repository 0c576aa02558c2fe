#include "support/common.h"

#include <fstream>

#include "setup/installer.h"
#include "setup/path_utils.h"
#include "setup/uninstaller.h"
#include "support/process_context.h"

namespace {

std::string g_started;   // the command line of each process started, and " hidden" when it shows no window
bool g_startFails;
const char* g_stays;   // the key that cannot be deleted
HANDLE g_script;       // the script's process, to tell whether it ran

BOOL WINAPI RecordStart(LPCSTR shell, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags,
                        LPVOID, LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process)
{
    const bool hidden = (startup->dwFlags & STARTF_USESHOWWINDOW) && startup->wShowWindow == SW_HIDE;
    g_started += std::string(line) + (hidden ? " hidden" : "");
    char nothing[] = "cmd /d /c rem";   // the script would delete this test program
    return !g_startFails &&
           PLATFORM("kernel32", CreateProcessA)(shell, nothing, nullptr, nullptr, FALSE, flags, nullptr, folder, startup, process) &&
           DuplicateHandle(GetCurrentProcess(), process->hProcess, GetCurrentProcess(), &g_script, 0, FALSE, DUPLICATE_SAME_ACCESS);
}

// As Windows: for UTF-8 it refuses the flags and the "used default" answer that Wine takes.
int WINAPI ConvertAsWindows(UINT page, DWORD flags, LPCWCH wide, int length, LPSTR text, int size, LPCCH fill, LPBOOL used)
{
    if (page == CP_UTF8 && (flags || used))
        return SetLastError(ERROR_INVALID_PARAMETER), 0;
    return PLATFORM("kernel32", WideCharToMultiByte)(page, flags, wide, length, text, size, fill, used);
}

LONG WINAPI DeleteKey(HKEY root, LPCSTR subKey)
{
    return g_stays && std::strcmp(subKey, g_stays) == 0 ? ERROR_ACCESS_DENIED : PLATFORM("advapi32", RegDeleteKeyA)(root, subKey);
}

} // namespace

TEST_CASE("RunUninstall removes the installed scope's keys only once a script naming exactly its files is ready")
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 4, L'%'), me = Wide(self);
    // removed: the root it removes from; told: message 125; other: Software\Talvane holds another program's key,
    // which keeps it; named: exe as the script must write it (OEM code page, every % doubled); consent: none when
    // the rights are there; entry: the machine's uninstall command; stays: the key that cannot be deleted.
    const struct {
        const char* flag; int answer; bool asked; HKEY removed; bool told; bool other; std::wstring exe = L"";
        std::string named = ""; std::vector<int> consent = {}; std::string entry = ""; bool fails = false;
        const char* stays = nullptr;
    } cases[] = {
        {nullptr, IDYES, false, nullptr, false, true}, {"\0\0\0\0", IDYES, false, nullptr, false, true},
        {"\2\0\0\0", IDNO, true, nullptr, false, false},
        {"\2\0\0\0", IDYES, true, HKEY_CURRENT_USER, false, true, L"C:\\100% Zo\u00EB\\brdl.EXE", "C:\\100%% Zo\x89\\brdl.EXE"},
        {"\1\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, false, false, L"brdl.EXE", "brdl.EXE"},   // no folder to remove
        {"\7\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, false, true, longest, "C:\\" + std::string(2 * (MAX_PATH - 4), '%')},
        {"\2\0\0\0", IDYES, true, nullptr, true, true, longest + L"%"},   // cut: it would name another file
        // Full-width quotation mark and ampersand: their 8-bit look-alikes would run a command.
        {"\2\0\0\0", IDYES, true, nullptr, true, true, L"C:\\x\uFF02&mkdir PWNED&\uFF02y\\brdl.EXE"},
        {"\2\0\0\0", IDYES, true, nullptr, true, true, L"C:\\A\\brdl.EXE", "", {}, "", true},
        {"\2\0\0\0", IDYES, true, nullptr, true, true, L"C:\\A\\brdl.EXE", "", {}, "", false, ToolbarButtonKey},
        {"\2\0\0\0", IDYES, true, nullptr, true, true, L"C:\\A\\brdl.EXE", "", {}, "", false, UninstallKey},
        {"\1\0\0\0", IDYES, true, nullptr, false, true, L"C:\\A\\brdl.EXE", "", {Declined}},
        {"\1\0\0\0", IDYES, true, nullptr, false, true, L"C:\\A\\brdl.EXE", "", {1}},   // the copy told the user
        {"\1\0\0\0", IDYES, true, nullptr, true, true, L"C:\\A\\brdl.EXE", "", {NotStarted}},
        {"\1\0\0\0", IDYES, true, HKEY_LOCAL_MACHINE, false, true, L"C:\\A\\brdl.EXE", "C:\\A\\brdl.EXE", {Run}},
        // A user without InstFlag: an all-users installation of this very file, or of another.
        {nullptr, IDYES, true, HKEY_LOCAL_MACHINE, false, true, me, self, {}, "\"" + std::string(self) + "\" /u"},
        {nullptr, IDYES, false, nullptr, false, true, me, self, {}, "\"C:\\windows\\notepad.exe\" /u"}};
    const ImportPatch start("kernel32", "CreateProcessA", RecordStart);
    const ImportPatch deletion("advapi32", "RegDeleteKeyA", DeleteKey);
    TestFolder temp;
    SetEnvironmentVariableA("TMP", temp.path.c_str());
    // Planted by another account sharing the folder: never opened, never run.
    const std::string planted = temp.Sub(UninstallScriptName), script = temp.Sub("__UNINST1.BAT");
    std::ofstream(planted) << "planted";
    for (const auto& c : cases) {
        CAPTURE(&c - cases);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher(c.answer);
        ProcessContext token(c.exe, c.consent);
        g_startFails = c.fails;
        g_stays = c.stays;
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            WriteDword(root, (std::string(ToolbarButtonKey) + "\\Sub").c_str(), "x", 1);
            RegSetKeyValueA(root, UninstallKey, "UninstallString", REG_SZ, c.entry.c_str(), c.entry.size() + 1);
        }
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL\\Sub\\Deeper", "x", 1);
        if (c.other)
            WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\Other", "x", 1);
        if (c.flag)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, "InstFlag", REG_DWORD, c.flag, 4);
        RunUninstall();
        CHECK((catcher.CountOf(IDS_CONFIRM_UNINSTALL) == c.asked && catcher.CountOf(IDS_CANNOT_REMOVE) == c.told));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            CHECK(((c.stays == UninstallKey || KeyExists(root, ToolbarButtonKey) == (root != c.removed)) &&
                   KeyExists(root, UninstallKey) == (root != c.removed)));   // the button's key goes first
        CHECK((KeyExists(HKEY_CURRENT_USER, SettingsKey) == !c.removed &&
               KeyExists(HKEY_CURRENT_USER, "Software\\Talvane") == (c.other || !c.removed)));
        CHECK(token.started == (c.consent.empty() ? "" : "runas " + std::string(c.exe.begin(), c.exe.end()) + " /BrdlRemoveAllUsers|"));
        const std::string shell = "\"C:\\windows\\system32\\cmd.exe\" /d /v:off /c \"\"" + script + "\"\" hidden";
        CHECK(std::exchange(g_started, "") == (c.removed || c.fails || c.stays ? shell : ""));
        DWORD ran = ~0u;   // 0: the script ran; 1: it was ended before its first line
        if (g_script && WaitForSingleObject(g_script, 5000) == WAIT_OBJECT_0)
            GetExitCodeProcess(g_script, &ran);
        CHECK(ran == (c.removed ? 0 : c.stays ? 1 : ~0u));
        CloseHandle(std::exchange(g_script, nullptr));
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
    const ImportPatch windows("kernel32", "WideCharToMultiByte", ConvertAsWindows);
    char utf8[8];   // where the code pages are UTF-8, every path is named exactly
    CHECK((ConvertExactly(L"Zo\u00EB", CP_UTF8, utf8, sizeof utf8) && std::string(utf8) == "Zo\xC3\xAB"));
    SetEnvironmentVariableA("TMP", nullptr);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}
