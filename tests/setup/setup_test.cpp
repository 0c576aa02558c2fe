// The installation and "/u", in a sandboxed registry with real folders; what Windows answers about access lists,
// links and short names comes from stand-ins. The uninstall script is written, started and ended, never run. Then
// the forms setup reads: an install folder's path, the consent copy's switches, a path in a UTF-8 code page.
#include "support/common.h"

#include <shlobj.h>
#include <filesystem>
#include <fstream>
#include <map>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/path_utils.h"
#include "setup/uninstaller.h"
#include "support/platform_answers.h"

namespace {

// Where the toolbar button's key and the uninstall entry are: "keys HKCU", "no keys", "toolbar HKLM, entry both".
std::string Keys()
{
    const auto roots = [](const char* key) {   // 1 HKCU, 2 HKLM
        return KeyExists(HKEY_CURRENT_USER, key) + 2 * KeyExists(HKEY_LOCAL_MACHINE, key);
    };
    const int toolbar = roots(ToolbarButtonKey), entry = roots(UninstallKey);
    const std::string in[] = {"none", "HKCU", "HKLM", "both"};
    return toolbar == entry ? (entry ? "keys " + in[entry] : "no keys")
                            : "toolbar " + in[toolbar] + ", entry " + in[entry];
}

// Protected, and passed on to all below: what a folder the installer makes lets whom do.
constexpr char ForUser[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;USER)";
constexpr char ForAll[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// What Windows reads back from a folder an administrator's consent made: theirs, not this account's.
constexpr char MadeForAll[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// What Program Files passes on: TrustedInstaller, SYSTEM and Administrators change it, Users read it, whoever makes
// something below owns that.
constexpr char ProgramFiles[] = "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:"
                                "(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
                                "(A;OICIIO;GA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

enum Before { Nothing, EmptyFolder, OurProgram, OldProgram, HeldReadOnlyProgram, FolderInTheWay };

struct InstallRow {
    std::string name;
    DWORD scope = ScopeCurrentUser;
    size_t length = 0;   // of the typed folder; 0: "A\B" in a fresh folder
    bool slash = false;   // typed with its trailing backslash
    std::vector<int> consent = {};   // none: the rights are there
    bool limited = false;   // a limited token that asks no consent
    bool twin = true;   // the account has a token without its rights too
    const char* refused = nullptr;   // the key that cannot be created
    const char* grows = nullptr;   // a value that grows between its size and its reading
    Before before = Nothing;   // in the folder; an old program comes with an old toolbar key, "Exec" old
    const char* answerFor = nullptr;   // "A", "B" (the install folder) or "brdl.EXE": what Windows answers for it
    const char* answer = nullptr;   // an access list, or "junction"
    const char* typedName = "B";   // the install folder's own name
    const char* typedAs = nullptr;   // typed instead of the install folder
    const char* tempName = nullptr;   // the user's temporary folder's, in the fresh folder
    bool readOnlySource = false, shortNames = true;
    std::string outcome;   // message or "installed"; the file; the keys; InstFlag; prompts
    std::string made = "";   // the access list of the folders made, when any
};

std::string g_typed;   // what the user types into the install dialog (UTF-8), before a click on their scope
int g_scope;
std::vector<std::string> g_openings;   // each opening's scope and folder, then its folder after Current user

// Inside the install dialog's modal loop, as a user works it at each opening: the folder typed with blanks and tabs
// around it, then OK; Cancel when a refusal leaves it open.
void CALLBACK WorkInstallDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "Install Brindle");
    if (!IsWindowVisible(dialog))
        return;
    if (GetPropA(dialog, "worked"))
        return void(SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0));
    SetPropA(dialog, "worked", dialog);
    const auto shown = [dialog] {
        char folder[MAX_PATH * 2] = "";
        GetDlgItemTextA(dialog, IDC_FOLDER, folder, sizeof folder);
        return (IsDlgButtonChecked(dialog, IDC_ALL_USERS) ? "all users at " : "current user at ") + Utf8(folder);
    };
    const std::string before = shown();
    SendDlgItemMessageA(dialog, IDC_CURRENT_USER, BM_CLICK, 0, 0);
    g_openings.push_back(before + ", then " + shown());
    SetDlgItemTextW(dialog, IDC_FOLDER, Wide(" \t" + g_typed + "\t ").c_str());
    SendDlgItemMessageA(dialog, g_scope, BM_CLICK, 0, 0);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST_CASE("an installation registers under its scope's root only, or leaves everything as it was")
{
    const std::string none = "told 121; file none; no keys; no flag";
    const InstallRow rows[] = {
        {.name = "current user, from a read-only download", .readOnlySource = true,
         .outcome = "installed; file ours; keys HKCU; flag 2", .made = ForUser},
        {.name = "a destination of 260", .length = MAX_PATH - 9, .outcome = none},
        {.name = "all users, a destination of 259, typed with its backslash", .scope = ScopeAllUsers,
         .length = MAX_PATH - 9, .slash = true, .outcome = "installed; file ours; keys HKLM; flag 1", .made = ForAll},
        {.name = "declined, then consented", .scope = ScopeAllUsers, .consent = {Declined, Run},
         .outcome = "installed; file ours; keys HKLM; flag 1; 2 prompts; reopened as left", .made = ForAll},
        {.name = "the copy failed and told the user", .scope = ScopeAllUsers, .consent = {CopyFailedAndTold},
         .outcome = "quiet; file none; no keys; no flag; 1 prompt"},
        {.name = "the copy did not start", .scope = ScopeAllUsers, .consent = {NotStarted},
         .outcome = none + "; 1 prompt"},
        {.name = "the copy crashed", .scope = ScopeAllUsers, .consent = {Crashed}, .outcome = none + "; 1 prompt"},
        {.name = "the copy undoes its own registration", .scope = ScopeAllUsers, .consent = {Run},
         .refused = UninstallKey, .outcome = "told 126; file none; no keys; no flag; 1 prompt", .made = ForAll},
        {.name = "the copy's part stays when InstFlag cannot be written", .scope = ScopeAllUsers, .consent = {Run},
         .refused = SettingsKey, .outcome = "told 126; file ours; keys HKLM; no flag; 1 prompt", .made = ForAll},
        {.name = "an old installation stays as it was", .refused = UninstallKey, .before = OldProgram,
         .outcome = "told 126; file old; toolbar HKCU, entry none, Exec old; no flag"},
        {.name = "an old read-only program in use stays as it was", .before = HeldReadOnlyProgram,
         .outcome = "told 121; file read-only; toolbar HKCU, entry none, Exec old; no flag"},
        {.name = "an old value that grows while it is kept stays as it was", .grows = "Exec",
         .before = OldProgram, .outcome = "told 126; file old; toolbar HKCU, entry none, Exec old; no flag"},
        {.name = "the installed copy started by another user stays", .refused = ToolbarButtonKey,
         .before = OurProgram, .outcome = "told 126; file ours; no keys; no flag"},
        {.name = "InstFlag cannot be written", .refused = SettingsKey,
         .outcome = "told 126; file none; no keys; no flag", .made = ForUser},
        {.name = "a folder relative to where it started", .typedAs = "C:B",
         .outcome = "told 124; file none; no keys; no flag"},
        {.name = "a look-alike the 8-bit API reads as '&'", .typedName = "A\uFF06B", .outcome = none},
        {.name = "a folder in the way", .before = FolderInTheWay, .outcome = "told 121; file folder; no keys; no flag"},
        {.name = "a folder Program Files protects", .scope = ScopeAllUsers, .before = EmptyFolder, .answerFor = "B",
         .answer = ProgramFiles, .outcome = "installed; file ours; keys HKLM; flag 1"},
        {.name = "a folder that users may change", .scope = ScopeAllUsers, .before = EmptyFolder, .answerFor = "B",
         .answer = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)", .outcome = none},
        {.name = "a folder that users may add a file to", .before = EmptyFolder, .answerFor = "B",
         .answer = "O:SYD:(A;OICI;0x2;;;BU)", .outcome = none},
        {.name = "a folder whose files its creator's group may change", .before = EmptyFolder, .answerFor = "B",
         .answer = "O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICIIO;FA;;;CG)", .outcome = none},
        {.name = "a folder above that another user owns", .before = EmptyFolder, .answerFor = "A",
         .answer = "O:S-1-5-21-1-2-3-1001D:(A;;FA;;;SY)", .outcome = none},
        {.name = "a folder without an access list", .before = EmptyFolder, .answerFor = "B", .answer = "O:BA",
         .outcome = none},
        {.name = "a folder made where no access list is kept", .answerFor = "B", .answer = "O:USER", .outcome = none,
         .made = ForUser},
        {.name = "all users, in a folder this account owns", .scope = ScopeAllUsers, .before = EmptyFolder,
         .answerFor = "B", .answer = "O:USERD:(A;OICI;FA;;;SY)(A;OICI;FA;;;USER)", .outcome = none},
        {.name = "the same for an administrator that runs nothing without its rights", .scope = ScopeAllUsers,
         .twin = false, .before = EmptyFolder, .answerFor = "B", .answer = "O:USERD:(A;OICI;FA;;;SY)(A;OICI;FA;;;USER)",
         .outcome = "installed; file ours; keys HKLM; flag 1"},
        {.name = "a junction", .before = EmptyFolder, .answerFor = "B", .answer = "junction", .outcome = none},
        {.name = "an old program that users may change", .before = OldProgram, .answerFor = "brdl.EXE",
         .answer = "O:BAD:(A;;FA;;;BU)", .outcome = "told 121; file old; toolbar HKCU, entry none, Exec old; no flag"},
        {.name = "a name the OEM code page has not, by its short name", .typedName = "S\u00e3o",
         .outcome = "installed; file ours; keys HKCU; flag 2", .made = ForUser},
        {.name = "a name the OEM code page has not, without short names", .typedName = "S\u00e3o",
         .shortNames = false, .outcome = none, .made = ForUser},
        {.name = "a temporary folder the OEM code page cannot name", .limited = true, .tempName = "Jo\u00e3o",
         .shortNames = false, .outcome = none, .made = ForUser},
    };
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (const InstallRow& c : rows) {
        INFO(c.name);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher;
        TestFolder folder;
        const std::string dir = folder.Sub(c.length ? std::string(c.length - c.slash - folder.path.size() - 1, 'L')
                                                    : "A\\" + std::string(c.typedName));
        const std::string exe = dir + "\\brdl.EXE", typed = dir + (c.slash ? "\\" : "");
        const HKEY root = c.scope == ScopeCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        CreateDirectoryTree(c.before == Nothing ? "" : c.before == FolderInTheWay ? (exe + "\\").c_str() : dir.c_str());
        std::string source = c.before == OurProgram && CopyFileA(self, exe.c_str(), FALSE) ? exe : self;
        if ((c.before == OldProgram || c.before == HeldReadOnlyProgram) && std::ofstream(exe) << "old")
            RegSetKeyValueA(root, ToolbarButtonKey, "Exec", REG_SZ, "old", 4);
        HANDLE held = c.before == HeldReadOnlyProgram && SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_READONLY)
                          ? CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                          : nullptr;
        if (c.readOnlySource && CopyFileA(self, (source = folder.Sub("source.exe")).c_str(), FALSE) &&
            std::ofstream(source + ":Zone.Identifier") << "[ZoneTransfer]\r\nZoneId=3\r\n")
            SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.tempName && CreateDirectoryW(Wide(folder.Sub(c.tempName)).c_str(), nullptr))
            SetEnvironmentVariableW(L"TMP", Wide(folder.Sub(c.tempName)).c_str());
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", 8);   // a user who had settings, but no "InstFlag"
        PlatformAnswers platform(Wide(source), c.consent, c.limited, c.shortNames);
        platform.refusedKey = c.refused;
        platform.growing = c.grows;
        platform.named = c.answerFor;
        platform.access = c.answer;
        platform.others = c.scope == ScopeAllUsers ? MadeForAll : nullptr;
        platform.twin = c.twin;
        g_typed = c.typedAs ? c.typedAs : typed;
        g_scope = c.scope == ScopeAllUsers ? IDC_ALL_USERS : IDC_CURRENT_USER;
        g_openings.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, WorkInstallDialog);
        const bool installed = RunInstallerIfNeeded();
        KillTimer(nullptr, timer);
        CloseHandle(held);
        SetEnvironmentVariableW(L"TMP", nullptr);
        std::string outcome = installed ? "installed" : catcher.Shown().empty() ? "quiet" : "told " + catcher.Shown();
        const DWORD attributes = GetFileAttributesW(Wide(exe).c_str());
        const std::string bytes = ReadBytes(exe);
        for (const std::string& file : {exe, source})   // read-only files would outlive the folder's sweep
            SetFileAttributesW(Wide(file).c_str(), FILE_ATTRIBUTE_NORMAL);
        outcome += attributes == INVALID_FILE_ATTRIBUTES     ? "; file none"
                   : attributes & FILE_ATTRIBUTE_DIRECTORY   ? "; file folder"
                   : attributes & FILE_ATTRIBUTE_READONLY    ? "; file read-only"
                   : bytes == "old"                          ? "; file old"
                   : bytes == ReadBytes(self)                ? "; file ours" : "; file other";
        outcome += Exists(dir + "\\brdl.NEW") ? ", staged copy left" : "";
        const std::string top = dir.substr(0, dir.find('\\', folder.path.size() + 1));   // the first level made
        outcome += attributes == INVALID_FILE_ATTRIBUTES && c.before == Nothing && Exists(top) ? ", folder left" : "";
        outcome += Exists(dir + "\\brdl.NEW:Zone.Identifier") ? ", marked" : "";   // Wine's moves leave it there
        outcome += "; " + Keys();
        outcome += RawValue(root, ToolbarButtonKey, "Exec") == std::string("old", 4) ? ", Exec old" : "";
        const DWORD flag = DwordValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag");
        outcome += flag == ~0u ? "; no flag" : "; flag " + std::to_string(flag);
        const size_t prompts = std::count(platform.started.begin(), platform.started.end(), '|');
        outcome += prompts == 0 ? "" : "; " + std::to_string(prompts) + (prompts > 1 ? " prompts" : " prompt");
        for (size_t i = 1; i < g_openings.size(); ++i)   // as the user left it: the folder the same for both
            outcome += g_openings[i] == "all users at " + typed + ", then current user at " + typed
                           ? "; reopened as left" : "; reopened " + g_openings[i];
        char all[MAX_PATH] = "", user[MAX_PATH] = "";   // what the dialog offers first, as the platform answers
        SHGetSpecialFolderPathA(nullptr, all, CSIDL_PROGRAM_FILES, FALSE);
        SHGetSpecialFolderPathA(nullptr, user, CSIDL_LOCAL_APPDATA, FALSE);
        REQUIRE_FALSE(g_openings.empty());   // the dialog opened
        CHECK(g_openings.front() == "all users at " + Utf8(all) + "\\BRDL, then current user at " + Utf8(user) +
                                      "\\Programs\\BRDL");
        CHECK(outcome == c.outcome);
        CHECK(platform.madeWith == c.made);
        CHECK_FALSE(platform.copyUsedUserKeys);   // the consent copy's user may be another account
        const std::string first = platform.started.substr(0, platform.started.find('|'));
        if (prompts)   // each the same: the copy reads its folder in it
            CHECK(first == "runas " + source + " install into " + typed + " over its window");
        if (!installed)
            continue;
        const std::string icons = dir + "\\brdl.exe,";
        const std::string values[][3] = {
            {ToolbarButtonKey, "ButtonText", "Brindle"}, {ToolbarButtonKey, "Default Visible", "Yes"},
            {ToolbarButtonKey, "CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"}, {ToolbarButtonKey, "Exec", exe},
            {ToolbarButtonKey, "HotIcon", icons + "3"}, {ToolbarButtonKey, "Icon", icons + "2"},
            {UninstallKey, "DisplayIcon", exe}, {UninstallKey, "DisplayName", "Brindle"},
            {UninstallKey, "UninstallString", "\"" + exe + "\" /u"}};
        for (const auto& value : values) {
            DWORD type = 0;
            CHECK(RawValue(root, value[0].c_str(), value[1].c_str(), &type) == Ansi(value[2]) + '\0');
            CHECK(type == REG_SZ);
        }
    }
}

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

// The script as the command processor reads it (OEM code page, %% for %), each path in it told by what it names.
std::string ReadScript(const std::string& path, const std::map<std::string, std::string>& names)
{
    std::string script = ReadBytes(path), read;
    size_t at = 0;
    for (size_t quote; (quote = script.find('"', at)) != std::string::npos; at = script.find('"', quote + 1) + 1) {
        std::string text = script.substr(quote + 1, script.find('"', quote + 1) - quote - 1);
        for (size_t percent = 0; (percent = text.find("%%", percent)) != std::string::npos; ++percent)
            text.erase(percent, 1);
        wchar_t wide[MAX_PATH * 2] = L"", full[MAX_PATH * 2] = L"";   // full: by its long names
        MultiByteToWideChar(CP_OEMCP, 0, text.c_str(), -1, wide, MAX_PATH * 2);
        GetLongPathNameW(wide, full, MAX_PATH * 2);
        std::string named = "?";
        for (const auto& [name, file] : names)
            named = lstrcmpiW(full, Wide(file).c_str()) == 0 ? name : named;
        read += script.substr(at, quote - at) + named;
    }
    return read + script.substr(at);
}

constexpr char AdministratorsOnly[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr char Retry[] =
    " if %BrdlTries% lss 60 (set /a BrdlTries+=1 >nul & .\\ping.exe -n 2 127.0.0.1 >nul & goto Repeat)";

enum Entry { NoEntry, OfThisFile, OfAnotherFile, OfMissingFile, OfSecondLink, WithMoreArguments, Relative, OfCutPath };

struct RemovalRow {
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
    bool squatted = false;   // another user made the folders a clock would name for the next seconds
    std::string tempName = "Temp";   // the user's temporary folder, in the fresh folder
    std::string outcome;   // messages; the keys left; settings and the maker's key; the script, where
    std::string script = "";   // what each line names, when checked: {exe}, {folder}, {script}, {own} folder
};

} // namespace

TEST_CASE("RunUninstall removes only the registered installation, all of it or nothing, and only by its own file")
{
    const std::string inTemp = "set BrdlTries=0\r\n:Repeat\r\ndel /f {exe}\r\nif exist {exe}" + std::string(Retry) +
                               "\r\nrmdir {folder}\r\ndel {script}\r\n";
    const std::string inOwn = inTemp.substr(0, inTemp.size() - 2) + " & rmdir {own}\r\n";
    // Nothing removed: after the question alone, or told that it cannot be; all users' installation removed.
    const std::string asked = "123; keys both; settings kept", failed = "123 125; keys both; settings kept";
    const std::string machine = "123; keys HKCU; settings gone; script ran in windows temp";
    const RemovalRow rows[] = {
        {.name = "no InstFlag", .flag = -1, .entry = NoEntry,
         .outcome = "quiet; toolbar both, entry HKCU; settings kept"},
        {.name = "No", .answer = IDNO, .outcome = asked},
        {.name = "current user, limited, names with % and \u00eb", .exe = "100% Zo\u00eb\\brdl.EXE", .limited = true,
         .tempName = "Temp Zo\u00eb", .outcome = "123; keys HKLM; settings gone; script ran in temp", .script = inTemp},
        {.name = "all users, elevated, by a stray InstFlag 7", .flag = 7, .outcome = machine, .script = inOwn},
        {.name = "the longest path, every % doubled", .length = MAX_PATH - 1,
         .outcome = "123; keys HKLM; settings gone; script ran in windows temp", .script = inOwn},
        {.name = "a cut path that names another registered file", .entry = OfCutPath, .length = MAX_PATH,
         .outcome = "125; keys both; settings kept"},
        {.name = "another program's value beside ours in the maker's key", .vendorKey = true,
         .outcome = "123; keys HKLM; settings gone, Talvane kept; script ran in windows temp"},
        {.name = "a stray copy", .flag = 1, .entry = OfAnotherFile, .outcome = "125; keys both; settings kept"},
        {.name = "a file in a drive's root: no folder to remove", .exe = "C:\\brdl.EXE",
         .outcome = "123; keys HKLM; settings gone; script ran in windows temp",
         .script = inOwn.substr(0, inOwn.find("rmdir")) + inOwn.substr(inOwn.find("del {script}"))},
        {.name = "a second hard link to the file", .entry = OfSecondLink, .outcome = "125; keys both; settings kept"},
        {.name = "an entry with more than /u", .entry = WithMoreArguments, .outcome = "125; keys both; settings kept"},
        {.name = "an entry with a relative path", .entry = Relative, .outcome = "125; keys both; settings kept"},
        {.name = "an installed file that is gone", .entry = OfMissingFile, .outcome = "123; keys HKLM; settings gone"},
        {.name = "no uninstall entry", .entry = NoEntry, .outcome = "123; toolbar both, entry HKLM; settings gone"},
        {.name = "a script that cannot start", .startFails = true, .outcome = failed},
        {.name = "a toolbar key that cannot go", .stays = ToolbarButtonKey, .outcome = failed},
        {.name = "an uninstall entry that cannot go", .stays = UninstallKey, .outcome = failed},
        {.name = "an entry whose deletion fails after all", .deleteFails = true,
         .outcome = "123 125; toolbar HKLM, entry both; settings kept; script ended in windows temp"},
        {.name = "consent declined", .flag = 1, .consent = {Declined}, .outcome = asked},
        {.name = "the copy failed and told", .flag = 1, .consent = {CopyFailedAndTold}, .outcome = asked},
        {.name = "the copy crashed", .flag = 1, .consent = {Crashed}, .outcome = failed},
        {.name = "the copy removed it", .flag = 1, .consent = {Run}, .outcome = machine},
        {.name = "folders made first where a clock would name ours", .flag = 1, .squatted = true, .outcome = machine},
        {.name = "a user without InstFlag, this very file", .flag = -1, .outcome = machine},
        {.name = "a user without InstFlag, another file", .flag = -1, .entry = OfAnotherFile,
         .outcome = "quiet; keys both; settings kept"},
        {.name = "a temporary folder the OEM code page cannot name", .limited = true, .shortNames = false,
         .tempName = "Jo\u00e3o", .outcome = failed},
    };
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const ImportPatch start("kernel32", "CreateProcessA", RecordStart);
    const ImportPatch deletion("advapi32", "RegDeleteKeyA", DeleteKey);
    for (const RemovalRow& c : rows) {
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
        const std::string cut = exe.substr(0, MAX_PATH - 1);   // as a path cut at MAX_PATH reads
        if (c.entry == OfCutPath)
            CopyFileW(Wide(self).c_str(), Wide(cut).c_str(), FALSE);
        const std::string entries[] = {"", exe, other, folder.Sub("gone\\brdl.EXE"), link, exe, "brdl.EXE", cut};
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
            WriteDword(HKEY_CURRENT_USER, "Software\\Talvane", "Another program's", 1);
        if (c.flag >= 0)
            WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", c.flag);
        PlatformAnswers platform(Wide(c.entry == OfSecondLink ? link : exe), c.consent, c.limited, c.shortNames);
        platform.keptKey = c.stays;
        g_startFails = c.startFails;
        g_deleteFails = c.deleteFails;

        const DWORD now = GetTickCount();
        for (DWORD n = now; c.squatted && n - now < 3000; ++n)
            CreateDirectoryA(("C:\\windows\\Temp\\BRDL" + std::to_string(n)).c_str(), nullptr);
        SetCurrentDirectoryW(Wide(FolderOf(exe)).c_str());   // where a relative entry would name this very file
        RunUninstall();
        SetCurrentDirectoryA("C:\\");
        std::string outcome = (catcher.Shown().empty() ? "quiet" : catcher.Shown()) + "; " + Keys();
        const bool maker = KeyExists(HKEY_CURRENT_USER, "Software\\Talvane");
        outcome += KeyExists(HKEY_CURRENT_USER, SettingsKey) ? "; settings kept"
                   : maker ? "; settings gone, Talvane kept" : "; settings gone";
        DWORD ran = ~0u;   // 0: the script ran; 1: it was ended before its first line
        if (g_script && WaitForSingleObject(g_script, 5000) == WAIT_OBJECT_0)
            GetExitCodeProcess(g_script, &ran);
        CloseHandle(std::exchange(g_script, nullptr));
        // "<system>\cmd.exe" /d /e:on /v:off /c ""<script>"" hidden
        const size_t from = g_started.find(" /c \"\"") + 6, to = g_started.rfind("\"\" hidden");
        const std::string script = g_started.empty() ? "" : Utf8(g_started.substr(from, to - from));
        const std::string own = FolderOf(script);
        const bool windowsTemp = script.starts_with("C:\\windows\\Temp\\BRDL");
        outcome += ran > 1 ? "" : ran == 0 ? "; script ran" : "; script ended";
        outcome += ran > 1 ? "" : script.starts_with(temp) ? " in temp"
                   : windowsTemp && platform.madeWith == AdministratorsOnly ? " in windows temp" : " elsewhere";
        outcome += ran != 0 && windowsTemp && Exists(own) ? "; its folder left" : "";
        outcome += ReadBytes(planted) == "planted" ? "" : "; planted script overwritten";
        CHECK(outcome == c.outcome);
        CHECK_FALSE(platform.copyUsedUserKeys);   // the consent copy's user may be another account
        CHECK(g_started == (script.empty() ? "" : "\"C:\\windows\\system32\\cmd.exe\" /d /e:on /v:off /c \"\"" +
                                                      Ansi(script) + "\"\" hidden"));
        if (!c.script.empty())
            CHECK(ReadScript(script, {{"{exe}", exe}, {"{folder}", FolderOf(exe)}, {"{script}", script},
                                      {"{own}", own}}) == c.script);
        DeleteFileW(Wide(script).c_str());
        DeleteFileA(c.exe[1] == ':' ? c.exe.c_str() : "");
        RemoveDirectoryW(windowsTemp ? Wide(own).c_str() : L"");
        for (DWORD n = now; c.squatted && n - now < 3000; ++n)
            RemoveDirectoryA(("C:\\windows\\Temp\\BRDL" + std::to_string(n)).c_str());
        g_started.clear();
        SetEnvironmentVariableA("TMP", nullptr);   // before the next fresh folder is made in it
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

namespace {

// As Windows: for UTF-8 it refuses the flags, but one, and the "used default" answer that Wine takes.
int WINAPI ConvertAsWindows(UINT page, DWORD flags, LPCWCH wide, int length, LPSTR text, int size, LPCCH fill,
                            LPBOOL used)
{
    if (page == CP_UTF8 && ((flags & ~WC_ERR_INVALID_CHARS) || used))
        return SetLastError(ERROR_INVALID_PARAMETER), 0;
    return PLATFORM("kernel32", WideCharToMultiByte)(page, flags, wide, length, text, size, fill, used);
}

} // namespace

TEST_CASE("a full path names a folder below a drive or a share, as Windows reads it")
{
    const struct { const char* path; bool full; } rows[] = {
        {"C:\\Tools", true}, {"z:\\Tools\\", true},   // the last drive letter, with its trailing backslash
        {"\\\\server\\share\\Tools", true},
        {"C:\\", false}, {"\\\\server\\share", false}, {"\\\\server\\share\\", false},   // roots
        {"C:Tools", false}, {"Tools", false},   // relative to wherever the program was started
        {"\\\\?\\C:\\Tools", false}, {"\\\\.\\C:\\Tools", false},   // device paths
        {"C:\\Tools\\..", false}, {"C:\\Tools.", false}, {"C:\\Tools \\BRDL", false},   // read otherwise
        {"C:\\Tools\\\\BRDL", false},   // two backslashes in a row
    };
    for (const auto& row : rows) {
        INFO(row.path);
        CHECK(IsFullPath(row.path) == row.full);
    }
}

TEST_CASE("the copy's switches are read only as Brindle writes them")
{
    char written[AllUsersPartSize];
    REQUIRE(WriteAllUsersPart("C:\\Program Files\\BRDL", written));
    const struct { std::string line, read; } rows[] = {
        {written, "install into C:\\Program Files\\BRDL"}, {"/BrdlRemoveAllUsers", "remove"},
        {"/BrdlRemoveAllUsers ", "none"}, {"/BrdlRemoveAllUsers /u", "none"}, {"/brdlremoveallusers", "none"},
        {"/BrdlInstallAllUsers C:\\BRDL", "none"}, {"/BrdlInstallAllUsers \"C:\\BRDL", "none"},
        {"/BrdlInstallAllUsers  \"C:\\BRDL\"", "none"}, {"/u", "none"},
    };
    for (const auto& row : rows) {
        INFO(row.line);
        std::string line = row.line;
        const char* folder = nullptr;
        const AllUsersPart part = ReadAllUsersPart(&line[0], &folder);
        const std::string read = part == AllUsersPart::Install ? "install into " + std::string(folder)
                                 : part == AllUsersPart::Remove ? "remove" : "none";
        CHECK(read == row.read);
    }
}

TEST_CASE("where the code pages are UTF-8, every path is named exactly")
{
    const ImportPatch windows("kernel32", "WideCharToMultiByte", ConvertAsWindows);
    char utf8[8];
    CHECK(ConvertExactly(L"Zo\u00EB", CP_UTF8, utf8, sizeof utf8));
    CHECK(std::string(utf8) == "Zo\xC3\xAB");
    CHECK_FALSE(ConvertExactly(L"Zo\xD800", CP_UTF8, utf8, sizeof utf8));   // a lone surrogate: no name to give
}
