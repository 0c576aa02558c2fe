// "/u", in a sandboxed registry with real files; the uninstall script is written, started and ended, never run.
#include "support/common.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/path_utils.h"
#include "setup/uninstaller.h"
#include "support/file_answers.h"
#include "support/process_context.h"

namespace {

std::string g_started;   // the command line of each process started, and " hidden" when it shows no window
bool g_startFails, g_deleteFails;
HANDLE g_script;   // the script's process, to tell whether it ran

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

LONG WINAPI DeleteKey(HKEY root, LPCSTR subKey)
{
    return g_deleteFails && std::strcmp(subKey, UninstallKey) == 0 ? ERROR_ACCESS_DENIED
                                                                    : PLATFORM("advapi32", RegDeleteKeyA)(root, subKey);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

// Volume and index of what a path (UTF-8) names, file or folder: the same whatever the spelling.
std::string Identity(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return file == INVALID_HANDLE_VALUE ? "" : std::to_string(info.dwVolumeSerialNumber) + ":" +
                                                   std::to_string(info.nFileIndexLow) + ":" +
                                                   std::to_string(info.nFileIndexHigh);
}

// The script as the command processor reads it (OEM code page, %% for %), each path in it told by what it names.
std::string ReadScript(const std::string& path, const std::map<std::string, std::string>& names)
{
    std::string script = ReadBytes(path), read;
    size_t at = 0;
    for (size_t quote; (quote = script.find('"', at)) != std::string::npos; at = script.find('"', quote + 1) + 1) {
        std::string text = script.substr(quote + 1, script.find('"', quote + 1) - quote - 1);
        for (size_t percent = 0; (percent = text.find("%%", percent)) != std::string::npos; ++percent)
            text.erase(percent, 1);
        wchar_t wide[MAX_PATH * 2] = L"";
        MultiByteToWideChar(CP_OEMCP, 0, text.c_str(), -1, wide, MAX_PATH * 2);
        std::string named = "?";
        for (const auto& [name, file] : names)
            named = Identity(wide) == Identity(Wide(file)) ? name : named;
        read += script.substr(at, quote - at) + named;
    }
    return read + script.substr(at);
}

constexpr char AdministratorsOnly[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr char Retry[] = " if %BrdlTries% lss 60 (set /a BrdlTries+=1 >nul & ping -n 2 127.0.0.1 >nul & goto Repeat)";

enum Entry { NoEntry, OfThisFile, OfAnotherFile, OfMissingFile, OfSecondLink, WithMoreArguments, Relative };

struct Row {
    std::string name;
    int flag = 2;   // "InstFlag"; -1: none
    Entry entry = OfThisFile;   // the uninstall entry of the flag's scope (all users' when there is no flag)
    std::string exe = "A\\brdl.EXE";   // the running file, in a fresh folder unless a full path
    size_t length = 0;   // else the running file's whole length, in a folder named with % only
    int answer = IDYES;   // to message 123
    bool limited = false;   // a token without the rights to the machine's keys, not elevated
    std::vector<int> consent = {};
    const char* stays = nullptr;   // a key that cannot be deleted
    bool deleteFails = false, startFails = false, shortNames = true, vendorKey = false;
    std::string tempName = "Temp";   // the user's temporary folder, in the fresh folder
    std::string outcome;   // messages; keys gone; settings and the maker's key; the script, where
    std::string script = "";   // what each line names, when checked: {exe}, {folder}, {script}, {own} folder
};

} // namespace

TEST_CASE("RunUninstall removes only the registered installation, all of it or nothing, and only by its own file")
{
    const std::string inTemp = "set BrdlTries=0\r\n:Repeat\r\ndel /f {exe}\r\nif exist {exe}" + std::string(Retry) +
                               "\r\nrmdir {folder}\r\ndel {script}\r\n";
    const std::string inOwn = inTemp.substr(0, inTemp.size() - 2) + " & rmdir {own}\r\n";
    const Row rows[] = {
        {.name = "no InstFlag", .flag = -1, .entry = NoEntry, .outcome = "quiet; keys kept; settings kept"},
        {.name = "No", .answer = IDNO, .outcome = "123; keys kept; settings kept"},
        {.name = "current user, limited, names with % and \u00eb", .exe = "100% Zo\u00eb\\brdl.EXE", .limited = true,
         .tempName = "Temp Zo\u00eb", .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in temp",
         .script = inTemp},
        {.name = "all users, elevated", .flag = 1,
         .outcome = "123; HKLM gone; settings gone; Talvane gone; script ran in windows temp", .script = inOwn},
        {.name = "a stray InstFlag 7 reads as all users", .flag = 7,
         .outcome = "123; HKLM gone; settings gone; Talvane gone; script ran in windows temp"},
        {.name = "the longest path, every % doubled", .length = MAX_PATH - 1,
         .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in windows temp", .script = inOwn},
        {.name = "a cut path", .length = MAX_PATH, .outcome = "125; keys kept; settings kept"},
        {.name = "another key beside ours in the maker's key", .vendorKey = true,
         .outcome = "123; HKCU gone; settings gone; Talvane kept; script ran in windows temp"},
        {.name = "a stray copy", .flag = 1, .entry = OfAnotherFile, .outcome = "125; keys kept; settings kept"},
        {.name = "a file in a drive's root: no folder to remove", .exe = "C:\\brdl.EXE",
         .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in windows temp",
         .script = inOwn.substr(0, inOwn.find("rmdir")) + inOwn.substr(inOwn.find("del {script}"))},
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
         .tempName = "Jo\u00e3o", .outcome = "123; HKCU gone; settings gone; Talvane gone; script ran in temp",
         .script = inTemp},
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
        const std::string other = folder.Sub("other.exe"), link = folder.Sub("link.exe");
        CreateDirectoryW(Wide(temp).c_str(), nullptr);
        SetEnvironmentVariableW(L"TMP", Wide(temp).c_str());
        std::ofstream(std::filesystem::path(Wide(planted))) << "planted";   // by another account: never run
        CreateDirectoryW(Wide(FolderOf(exe)).c_str(), nullptr);
        CopyFileW(Wide(self).c_str(), Wide(exe).c_str(), FALSE);
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
        if (c.vendorKey)
            WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\X", "x", 1);
        if (c.flag >= 0)
            WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", c.flag);
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
        const bool settings = KeyExists(HKEY_CURRENT_USER, SettingsKey);
        outcome += (keys.empty() ? "; keys kept" : keys) + (settings ? "; settings kept" : "; settings gone");
        outcome += settings                                          ? ""
                   : KeyExists(HKEY_CURRENT_USER, "Software\\Talvane") ? "; Talvane kept" : "; Talvane gone";
        DWORD ran = ~0u;   // 0: the script ran; 1: it was ended before its first line
        if (g_script && WaitForSingleObject(g_script, 5000) == WAIT_OBJECT_0)
            GetExitCodeProcess(g_script, &ran);
        CloseHandle(std::exchange(g_script, nullptr));
        // "<system>\cmd.exe" /d /v:off /c ""<script>"" hidden
        const size_t from = g_started.find(" /c \"\"") + 6, to = g_started.rfind("\"\" hidden");
        const std::string script = g_started.empty() ? "" : Utf8(g_started.substr(from, to - from));
        const std::string own = FolderOf(script);
        const bool windowsTemp = script.starts_with("C:\\windows\\Temp\\BRDL");
        outcome += ran > 1 ? "" : ran == 0 ? "; script ran" : "; script ended";
        outcome += ran > 1 ? "" : script.starts_with(temp) ? " in temp"
                   : windowsTemp && answers.madeWith == AdministratorsOnly ? " in windows temp" : " elsewhere";
        outcome += ran != 0 && windowsTemp && Exists(own) ? "; its folder left" : "";
        outcome += ReadBytes(planted) == "planted" ? "" : "; planted script overwritten";
        CHECK(outcome == c.outcome);
        CHECK_FALSE(token.copyUsedUserKeys);   // the consent copy's user may be another account
        CHECK(g_started == (script.empty() ? "" : "\"C:\\windows\\system32\\cmd.exe\" /d /v:off /c \"\"" +
                                                      Ansi(script) + "\"\" hidden"));
        if (!c.script.empty())
            CHECK(ReadScript(script, {{"{exe}", exe}, {"{folder}", FolderOf(exe)}, {"{script}", script},
                                      {"{own}", own}}) == c.script);
        DeleteFileW(Wide(script).c_str());
        DeleteFileA(c.exe[1] == ':' ? c.exe.c_str() : "");
        RemoveDirectoryW(windowsTemp ? Wide(own).c_str() : L"");
        g_started.clear();
        SetEnvironmentVariableA("TMP", nullptr);   // before the next fresh folder is made in it
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}
