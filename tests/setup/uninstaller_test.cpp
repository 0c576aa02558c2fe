// "/u", in a sandboxed registry with real files; the uninstall script is written, started and ended, never run.
#include "support/common.h"

#include <sddl.h>
#include <filesystem>
#include <fstream>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/path_utils.h"
#include "setup/uninstaller.h"
#include "support/file_answers.h"
#include "support/process_context.h"

namespace {

std::string g_started;   // the command line of each process started, and " hidden" when it shows no window
bool g_startFails, g_deleteFails;
HANDLE g_script;       // the script's process, to tell whether it ran

BOOL WINAPI RecordStart(LPCSTR shell, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags,
                        LPVOID, LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process)
{
    const bool hidden = (startup->dwFlags & STARTF_USESHOWWINDOW) && startup->wShowWindow == SW_HIDE;
    g_started += std::string(line) + (hidden ? " hidden" : "");
    char nothing[] = "cmd /d /c rem";   // the script would delete this test program
    return !g_startFails &&
           PLATFORM("kernel32", CreateProcessA)(shell, nothing, nullptr, nullptr, FALSE, flags, nullptr, folder,
                                                startup, process) &&
           DuplicateHandle(GetCurrentProcess(), process->hProcess, GetCurrentProcess(), &g_script, 0, FALSE,
                           DUPLICATE_SAME_ACCESS);
}

// As Windows: for UTF-8 it refuses the flags and the "used default" answer that Wine takes.
int WINAPI ConvertAsWindows(UINT page, DWORD flags, LPCWCH wide, int length, LPSTR text, int size, LPCCH fill,
                            LPBOOL used)
{
    if (page == CP_UTF8 && (flags || used))
        return SetLastError(ERROR_INVALID_PARAMETER), 0;
    return PLATFORM("kernel32", WideCharToMultiByte)(page, flags, wide, length, text, size, fill, used);
}

LONG WINAPI DeleteKey(HKEY root, LPCSTR subKey)
{
    return g_deleteFails && std::strcmp(subKey, UninstallKey) == 0 ? ERROR_ACCESS_DENIED
                                                                    : PLATFORM("advapi32", RegDeleteKeyA)(root, subKey);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

constexpr char AdministratorsOnly[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

enum Entry { NoEntry, OfThisFile, OfAnotherFile, OfMissingFile, OfSecondLink, WithMoreArguments, Relative };

struct Row {
    std::string name;
    int flag = 2;   // "InstFlag"; -1: none
    Entry entry = OfThisFile;   // the uninstall entry of the flag's scope (all users' when there is no flag)
    std::string exe = "A\\brdl.EXE";   // the running file, in a fresh folder unless a full path
    bool removesFolder = true;   // the script removes the file's folder
    size_t length = 0;   // else the running file's whole length, in a folder named with % only
    std::string named = "";   // how the script names the file in the OEM code page, when not as exe
    int answer = IDYES;   // to message 123
    bool limited = false;   // a token without the rights to the machine's keys, not elevated
    std::vector<int> consent = {};
    const char* stays = nullptr;   // a key that cannot be deleted
    bool deleteFails = false, startFails = false, shortNames = true;
    const char* vendor = "";   // what else the maker's key holds: "" nothing, "value" or "key"
    std::string tempName = "Temp";   // the user's temporary folder, in the fresh folder
    std::string tempNamed = "";   // how the script names it in the OEM code page, when not as tempName
    bool tempByShortName = false;   // the script names it by its short name
    std::string outcome;   // messages; keys gone; settings and the maker's key; the script, where
};

} // namespace

TEST_CASE("RunUninstall removes only the registered installation, all of it or nothing, and only by its own file")
{
    const Row rows[] = {
        {.name = "no InstFlag", .flag = -1, .entry = NoEntry, .outcome = "quiet; keys kept; settings kept"},
        {.name = "InstFlag 0", .flag = 0, .entry = NoEntry, .outcome = "quiet; keys kept; settings kept"},
        {.name = "No", .answer = IDNO, .outcome = "123; keys kept; settings kept"},
        {.name = "current user, limited, names with % and \u00eb", .exe = "100% Zo\u00eb\\brdl.EXE",
         .named = "100%% Zo\x89\\brdl.EXE", .limited = true, .tempName = "Temp Zo\u00eb", .tempNamed = "Temp Zo\x89",
         .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in temp"},
        {.name = "all users, elevated", .flag = 1,
         .outcome = "123; HKLM gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "a stray InstFlag 7 reads as all users", .flag = 7,
         .outcome = "123; HKLM gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "the longest path, every % doubled", .length = MAX_PATH - 1,
         .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "a cut path", .length = MAX_PATH, .outcome = "125; keys kept; settings kept"},
        {.name = "another key beside ours in the maker's key", .vendor = "key",
         .outcome = "123; HKCU gone; settings gone; Talvane kept; script ran in windows temp"},
        {.name = "a stray copy", .flag = 1, .entry = OfAnotherFile, .outcome = "125; keys kept; settings kept"},
        {.name = "a file in a drive's root: no folder to remove", .exe = "C:\\brdl.EXE", .removesFolder = false,
         .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "a second hard link to the installed file", .entry = OfSecondLink,
         .outcome = "125; keys kept; settings kept"},
        {.name = "an entry with more than /u", .entry = WithMoreArguments, .outcome = "125; keys kept; settings kept"},
        {.name = "an entry with a relative path", .entry = Relative, .outcome = "125; keys kept; settings kept"},
        {.name = "an installed file that is gone", .entry = OfMissingFile,
         .outcome = "123; HKCU gone; settings gone; Talvane gone"},
        {.name = "no uninstall entry", .entry = NoEntry, .outcome = "123; keys kept; settings gone; Talvane gone"},
        {.name = "a script that cannot start", .startFails = true, .outcome = "123 125; keys kept; settings kept"},
        {.name = "a toolbar key that cannot go", .stays = ToolbarButtonKey,
         .outcome = "123 125; keys kept; settings kept"},
        {.name = "an uninstall entry that cannot go", .stays = UninstallKey,
         .outcome = "123 125; keys kept; settings kept"},
        {.name = "an entry whose deletion fails after all", .deleteFails = true,
         .outcome = "123 125; HKCU toolbar gone; settings kept; script ended in windows temp"},
        {.name = "consent declined", .flag = 1, .consent = {Declined}, .outcome = "123; keys kept; settings kept"},
        {.name = "the copy failed and told", .flag = 1, .consent = {CopyFailedAndTold},
         .outcome = "123; keys kept; settings kept"},
        {.name = "the copy did not start", .flag = 1, .consent = {NotStarted},
         .outcome = "123 125; keys kept; settings kept"},
        {.name = "the copy crashed", .flag = 1, .consent = {Crashed}, .outcome = "123 125; keys kept; settings kept"},
        {.name = "the copy removed it", .flag = 1, .consent = {Run},
         .outcome = "123; HKLM gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "a user without InstFlag, this very file", .flag = -1,
         .outcome = "123; HKLM gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "a user without InstFlag, another file", .flag = -1, .entry = OfAnotherFile,
         .outcome = "quiet; keys kept; settings kept"},
        {.name = "a temporary folder the OEM code page names by its short name", .limited = true,
         .tempName = "Jo\u00e3o", .tempByShortName = true,
         .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in temp"},
        {.name = "a temporary folder the OEM code page cannot name", .limited = true, .shortNames = false,
         .tempName = "Jo\u00e3o", .outcome = "123 125; keys kept; settings kept"},
    };
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const ImportPatch start("kernel32", "CreateProcessA", RecordStart);
    const ImportPatch deletion("advapi32", "RegDeleteKeyA", DeleteKey);
    for (const Row& c : rows) {
        INFO(c.name);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher(c.answer);
        TestFolder folder;
        const size_t percents = c.length - folder.path.size() - sizeof "\\\\brdl.EXE" + 1;
        const std::string exe = c.exe[1] == ':' ? c.exe
                                : folder.Sub(c.length ? std::string(percents, '%') + "\\brdl.EXE" : c.exe);
        const std::string temp = folder.Sub(c.tempName), planted = temp + "\\" + UninstallScriptName;
        CreateDirectoryW(Wide(temp).c_str(), nullptr);
        SetEnvironmentVariableW(L"TMP", Wide(temp).c_str());
        std::ofstream(std::filesystem::path(Wide(planted))) << "planted";
        CreateDirectoryW(Wide(FolderOf(exe)).c_str(), nullptr);
        CopyFileW(Wide(self).c_str(), Wide(exe).c_str(), FALSE);
        const std::string other = folder.Sub("other.exe"), link = folder.Sub("link.exe");
        CopyFileA(self, other.c_str(), FALSE);
        if (c.entry == OfSecondLink)
            CreateHardLinkW(Wide(link).c_str(), Wide(exe).c_str(), nullptr);
        const std::string entries[] = {"", exe, other, folder.Sub("gone\\brdl.EXE"), link, exe, "brdl.EXE"};
        const std::string command =
            Ansi("\"" + entries[c.entry] + "\" /u" + (c.entry == WithMoreArguments ? " /x" : ""));
        const HKEY root = c.flag == 2 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        for (HKEY each : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            WriteDword(each, (std::string(ToolbarButtonKey) + "\\Sub").c_str(), "x", 1);
            RegSetKeyValueA(each, UninstallKey, "DisplayName", REG_SZ, "Brindle", 8);
        }
        if (c.entry == NoEntry)
            RegDeleteKeyA(root, UninstallKey);
        else
            RegSetKeyValueA(root, UninstallKey, "UninstallString", REG_SZ, command.c_str(), command.size() + 1);
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL\\Sub\\Deeper", "x", 1);
        if (c.flag >= 0)
            WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", c.flag);
        if (*c.vendor)
            WriteDword(HKEY_CURRENT_USER, c.vendor[0] == 'v' ? "Software\\Talvane" : "Software\\Talvane\\X", "x", 1);
        ProcessContext token(Wide(c.entry == OfSecondLink ? link : exe), c.consent, c.limited);
        g_startFails = c.startFails;
        g_deleteFails = c.deleteFails;
        token.keptKey = c.stays;
        FileAnswers answers(nullptr, nullptr, c.shortNames);

        SetCurrentDirectoryW(Wide(FolderOf(exe)).c_str());   // where a relative entry would name this very file
        RunUninstall();
        SetCurrentDirectoryA("C:\\");
        std::string outcome = catcher.Shown().empty() ? "quiet" : catcher.Shown(), keys;
        for (HKEY each : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            const std::string name = each == HKEY_CURRENT_USER ? "; HKCU" : "; HKLM";
            const bool toolbar = KeyExists(each, ToolbarButtonKey), entry = KeyExists(each, UninstallKey);
            keys += !toolbar && !entry ? name + " gone" : !toolbar ? name + " toolbar gone" : "";
        }
        outcome += keys.empty() ? "; keys kept" : keys;
        const bool settings = KeyExists(HKEY_CURRENT_USER, SettingsKey);
        outcome += settings ? "; settings kept" : "; settings gone";
        outcome += settings                                          ? ""
                   : KeyExists(HKEY_CURRENT_USER, "Software\\Talvane") ? "; Talvane kept" : "; Talvane gone";
        DWORD ran = ~0u;   // 0: the script ran; 1: it was ended before its first line
        if (g_script && WaitForSingleObject(g_script, 5000) == WAIT_OBJECT_0)
            GetExitCodeProcess(g_script, &ran);
        CloseHandle(std::exchange(g_script, nullptr));
        // "<system>\cmd.exe" /d /v:off /c ""<script>"" hidden
        const size_t from = g_started.find(" /c \"\"") + 6, to = g_started.rfind("\"\" hidden");
        const std::string script = g_started.empty() ? "" : g_started.substr(from, to - from);
        const std::string own = FolderOf(script), windowsTemp = "C:\\windows\\Temp\\BRDL";
        outcome += ran > 1 ? "" : ran == 0 ? "; script ran" : "; script ended";
        outcome += ran > 1 ? ""
                   : script.starts_with(Ansi(temp)) ? " in temp"
                   : script.starts_with(windowsTemp) && answers.madeWith == AdministratorsOnly ? " in windows temp"
                                                                                          : " elsewhere";
        outcome += ran != 0 && script.starts_with(windowsTemp) && Exists(own) ? "; its folder left" : "";
        outcome += ReadBytes(planted) == "planted" ? "" : "; planted script overwritten";
        CHECK(outcome == c.outcome);
        CHECK_FALSE(token.copyUsedUserKeys);   // the consent copy's user may be another account
        const std::string shell = "\"C:\\windows\\system32\\cmd.exe\" /d /v:off /c ";
        CHECK(g_started == (script.empty() ? "" : shell + "\"\"" + script + "\"\" hidden"));
        if (ran == 0) {
            wchar_t shortTemp[MAX_PATH];
            GetShortPathNameW(Wide(temp).c_str(), shortTemp, MAX_PATH);
            const std::string named = c.length ? folder.Sub(std::string(2 * percents, '%') + "\\brdl.EXE")
                                      : c.named.empty() ? exe : folder.Sub(c.named);
            const std::string tempNamed = c.tempByShortName ? Ansi(std::filesystem::path(shortTemp).string())
                                          : folder.Sub(c.tempNamed.empty() ? c.tempName : c.tempNamed);
            const std::string selfNamed = script.starts_with(Ansi(temp)) ? tempNamed + script.substr(Ansi(temp).size())
                                                                         : script;
            CHECK(ReadBytes(Utf8(script)) ==
                  "set BrdlTries=0\r\n:Repeat\r\ndel /f \"" + named + "\"\r\nif exist \"" + named +
                      "\" if %BrdlTries% lss 60 (set /a BrdlTries+=1 >nul & ping -n 2 127.0.0.1 >nul & goto"
                      " Repeat)\r\n" +
                      (c.removesFolder ? "rmdir \"" + FolderOf(named) + "\"\r\n" : "") + "del \"" + selfNamed +
                      (script.starts_with(Ansi(temp)) ? "\"\r\n" : "\" & rmdir \"" + own + "\"\r\n"));
        }
        DeleteFileA(script.c_str());
        DeleteFileA(c.exe[1] == ':' ? c.exe.c_str() : "");
        RemoveDirectoryA(script.starts_with(windowsTemp) ? own.c_str() : "");
        g_started.clear();
        SetEnvironmentVariableA("TMP", nullptr);   // before the next fresh folder is made in it
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    const ImportPatch windows("kernel32", "WideCharToMultiByte", ConvertAsWindows);
    char utf8[8];   // where the code pages are UTF-8, every path is named exactly
    CHECK(ConvertExactly(L"Zo\u00EB", CP_UTF8, utf8, sizeof utf8));
    CHECK(std::string(utf8) == "Zo\xC3\xAB");
}
