#include "setup/uninstaller.h"

#include <cstddef>
#include <cstring>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "setup/elevation.h"
#include "setup/folder_access.h"
#include "setup/installer.h"
#include "setup/path_utils.h"

namespace {

constexpr char TalvaneKey[] = "Software\\Talvane";
// "__UNINST.BAT", then "__UNINST1.BAT" to "__UNINST99.BAT" while the name is taken.
constexpr int ScriptNameVariants = 100;
// Room for the script of any three paths shorter than MAX_PATH, every % doubled.
constexpr std::size_t UninstallScriptSize = 3072;

// The try counter, and the loop the retry line goes back to.
constexpr char StartLines[] = "set BrdlTries=0\r\n:Repeat\r\n";
// /f: a read-only file of ours goes too.
constexpr char DeleteProgramFormat[] = "del /f \"%s\"\r\n";
// A file that cannot go (held open, in a folder the user may not write) would keep a
// hidden command processor spinning: each retry waits a second without burning the
// processor (ping is on every Windows, timeout.exe is not), and after a minute the
// script gives up, leaving the file and its folder, and still deletes itself. Ping is
// the system folder's, the current one: a bare name would go by the user's PATHEXT
// and PATH, which an elevated script must not trust.
constexpr char RepeatIfExistsFormat[] =
    "if exist \"%s\" if %%BrdlTries%% lss 60 (set /a BrdlTries+=1 >nul & .\\ping.exe -n 2 127.0.0.1 >nul & goto Repeat)"
    "\r\n";
constexpr char RemoveFolderFormat[] = "rmdir \"%s\"\r\n";
constexpr char DeleteScriptFormat[] = "del \"%s\"\r\n";
// The command processor has read the whole line before the script is gone: its
// folder goes on the same line.
constexpr char DeleteScriptThenFormat[] = "del \"%s\" & ";

// A path shorter than MAX_PATH with every % doubled, and its terminator.
constexpr std::size_t EscapedPathSize = 2 * (MAX_PATH - 1) + 1;

// The longest line a format gives: "%s" replaced by an escaped path.
constexpr std::size_t LongestLine(std::size_t formatSize)
{
    return (formatSize - sizeof "%s") + (EscapedPathSize - 1);
}

// Seven lines, the last in two parts, and the terminator that wsprintfA writes behind it.
constexpr std::size_t ScriptBound = (sizeof StartLines - 1) + LongestLine(sizeof DeleteProgramFormat) +
                                    LongestLine(sizeof RepeatIfExistsFormat) +
                                    2 * LongestLine(sizeof RemoveFolderFormat) +
                                    LongestLine(sizeof DeleteScriptThenFormat) + 1;
static_assert(ScriptBound <= UninstallScriptSize, "any three paths fit the script buffer");
static_assert(LongestLine(sizeof RepeatIfExistsFormat) < 1024, "every line fits wsprintfA");

// The command processor reads %% back as one %; a lone % would start a variable name.
// '%' is never a trail byte of a double-byte character, so bytes will do.
void EscapePercents(const char* path, char* escaped)
{
    for (; *path != '\0'; ++path) {
        *escaped++ = *path;
        if (*path == '%')
            *escaped++ = '%';
    }
    *escaped = '\0';
}

std::size_t AppendLine(char* script, std::size_t length, const char* format, const char* path)
{
    char escaped[EscapedPathSize];
    EscapePercents(path, escaped);
    return length + static_cast<std::size_t>(wsprintfA(script + length, format, escaped));
}

// The script's bytes for the program at exePath, deleting itself at scriptPath and,
// when given, its own folder: every line ends in CR LF, no terminator is counted. The
// byte count, or 0 when a path is not shorter than MAX_PATH or size is below
// UninstallScriptSize.
std::size_t ComposeUninstallScript(const char* exePath, const char* scriptPath, const char* scriptFolder,
                                   char* script, std::size_t size)
{
    if (size < UninstallScriptSize || std::strlen(exePath) >= MAX_PATH || std::strlen(scriptPath) >= MAX_PATH ||
        (scriptFolder && std::strlen(scriptFolder) >= MAX_PATH))
        return 0;
    std::memcpy(script, StartLines, sizeof StartLines);
    std::size_t length = sizeof StartLines - 1;
    length = AppendLine(script, length, DeleteProgramFormat, exePath);
    length = AppendLine(script, length, RepeatIfExistsFormat, exePath);
    // The folder, without its trailing backslash; never a root ("D:" would be whatever
    // folder is current on D:), nor what a bare file name has.
    char folder[MAX_PATH];
    std::strcpy(folder, exePath);
    if (const char* last = FindLastBackslash(folder)) {
        folder[last - folder] = '\0';
        if (IsFullPath(folder))
            length = AppendLine(script, length, RemoveFolderFormat, folder);
    }
    if (!scriptFolder)
        return AppendLine(script, length, DeleteScriptFormat, scriptPath);
    length = AppendLine(script, length, DeleteScriptThenFormat, scriptPath);
    return AppendLine(script, length, RemoveFolderFormat, scriptFolder);
}

bool IsGone(LONG deletion)
{
    return deletion == ERROR_SUCCESS || deletion == ERROR_FILE_NOT_FOUND;
}

// True when subKey is gone already, or this process may delete it and every key below it.
bool CanDeleteKeyTree(HKEY root, const char* subKey)
{
    HKEY opened;
    const LONG error = RegOpenKeyExA(root, subKey, 0, DELETE | KEY_ENUMERATE_SUB_KEYS, &opened);
    if (error != ERROR_SUCCESS)
        return error == ERROR_FILE_NOT_FOUND;
    const UniqueKey key(opened);
    for (DWORD index = 0;; ++index) {
        char name[MAX_PATH];
        DWORD nameSize = sizeof name;
        const LONG found = RegEnumKeyExA(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS)
            return true;
        if (found != ERROR_SUCCESS || !CanDeleteKeyTree(key.get(), name))
            return false;
    }
}

// The same for a key deleted alone: one with subkeys stays.
bool CanDeleteKey(HKEY root, const char* subKey)
{
    HKEY opened;
    const LONG error = RegOpenKeyExA(root, subKey, 0, DELETE | KEY_QUERY_VALUE, &opened);
    if (error != ERROR_SUCCESS)
        return error == ERROR_FILE_NOT_FOUND;
    const UniqueKey key(opened);
    DWORD subKeys = 1;
    return RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0;
}

// The toolbar button and the uninstall entry under root: both can go, or neither is
// touched, so that a removal never leaves one without the other.
bool CanRemoveScopeKeys(HKEY root)
{
    return CanDeleteKeyTree(root, ToolbarButtonKey) && CanDeleteKey(root, UninstallKey);
}

bool RemoveScopeKeys(HKEY root)
{
    return IsGone(DeleteKeyTree(root, ToolbarButtonKey)) &&
           IsGone(RegDeleteKeyA(root, UninstallKey));   // the key alone, not one with subkeys
}

// The maker's key goes with its last key and value: another program of ours may keep
// its own there.
void RemoveVendorKeyIfEmpty()
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TalvaneKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return;
    UniqueKey key(opened);
    DWORD subKeys = 1, values = 1;
    const bool empty = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subKeys == 0 && values == 0;
    key.reset();
    if (empty)
        RegDeleteKeyA(HKEY_CURRENT_USER, TalvaneKey);
}

// This user's settings. No result is examined: a step that fails does not stop the next.
void RemoveUserSettings()
{
    DeleteKeyTree(HKEY_CURRENT_USER, SettingsKey);
    RemoveVendorKeyIfEmpty();
}

// The script's path as the 8-bit API names it and as the command processor, which
// reads a batch file in the OEM code page, reads it back; and the folder made for it,
// if one was.
struct ScriptPath {
    char ansi[MAX_PATH];
    char oem[MAX_PATH];
    wchar_t ownFolder[MAX_PATH];   // empty when the script goes into the temporary folder
};

// Makes a new folder under the Windows folder's Temp that only administrators may
// change. Only one made now will do, under a name nobody can make first: anyone may
// create folders there, and a name a clock gives is a name to take. Empty when none
// could be made, so that nobody else's folder is removed in its place.
bool MakeAdministratorsFolder(wchar_t (&folder)[MAX_PATH])
{
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    const LocalSecurity access = MakeFolderSecurity(FolderAccess::Administrators);
    SECURITY_ATTRIBUTES security = {sizeof security, access.get(), FALSE};
    GUID random;
    if (length != 0 && length + sizeof "\\Temp\\BRDL0123456789ABCDEF" <= MAX_PATH && access) {
        for (int tries = 0; tries < ScriptNameVariants && SUCCEEDED(CoCreateGuid(&random)); ++tries) {
            wsprintfW(folder + length, L"\\Temp\\BRDL%08lX%04X%04X", random.Data1, random.Data2, random.Data3);
            if (CreateDirectoryW(folder, &security))
                return true;
        }
    }
    folder[0] = L'\0';
    return false;
}

// Where the script goes, named in both code pages (by short names where needed).
// An elevated script goes into a folder of its own that only administrators may
// change: the user's temporary folder is open to that user's programs without rights,
// and the command processor reads a script line by line while it runs.
bool GetScriptFolder(bool elevated, ScriptPath* path)
{
    wchar_t folder[MAX_PATH + 1];
    path->ownFolder[0] = L'\0';
    if (elevated) {
        if (!MakeAdministratorsFolder(path->ownFolder))
            return false;
        lstrcpyW(folder, path->ownFolder);
    } else {
        const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
        if (length == 0 || length > MAX_PATH)
            return false;
    }
    return NameInCodePage(folder, CP_ACP, path->ansi, MAX_PATH) &&
           NameInCodePage(folder, CP_OEMCP, path->oem, MAX_PATH);
}

// A new file under our name, or under a numbered variant while that is taken: never
// one that is there already, which another account sharing the folder could have
// planted, or made a link to another file.
HANDLE CreateScriptFile(ScriptPath* path)
{
    const std::size_t ansiFolder = std::strlen(path->ansi), oemFolder = std::strlen(path->oem);
    for (int variant = 0; variant < ScriptNameVariants; ++variant) {
        char name[sizeof "__UNINST99.BAT"];
        if (variant == 0)
            std::strcpy(name, UninstallScriptName);
        else
            wsprintfA(name, "__UNINST%d.BAT", variant);
        path->ansi[ansiFolder] = path->oem[oemFolder] = '\0';
        if (!AppendPathComponent(path->ansi, MAX_PATH, name) || !AppendPathComponent(path->oem, MAX_PATH, name))
            break;
        HANDLE file = CreateFileA(path->ansi, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Creates and fills the script for the program at exePath (as the installer wrote
// it), all of it or nothing: part of one could delete a file named by the front of a path.
bool WriteUninstallScript(const char* exePath, ScriptPath* path)
{
    // The program's path in the OEM code page, then the script composed behind it.
    HeapBuffer lines = AllocateBuffer(MAX_PATH + UninstallScriptSize);
    wchar_t wideExe[MAX_PATH];
    if (!lines || !MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, exePath, -1, wideExe, MAX_PATH) ||
        !NameInCodePage(wideExe, CP_OEMCP, lines.get(), MAX_PATH))
        return false;
    char ownFolder[MAX_PATH];
    std::strcpy(ownFolder, path->oem);   // the folder, before the script's name is added
    HANDLE file = CreateScriptFile(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char* script = lines.get() + MAX_PATH;
    const std::size_t length = ComposeUninstallScript(lines.get(), path->oem,
                                                      path->ownFolder[0] != L'\0' ? ownFolder : nullptr, script,
                                                      UninstallScriptSize);
    DWORD written = 0;
    const bool complete = length != 0 && WriteFile(file, script, static_cast<DWORD>(length), &written, nullptr) &&
                          written == length;
    CloseHandle(file);
    if (!complete)
        DeleteFileA(path->ansi);
    return complete;
}

// The command processor from the system folder (a bare cmd.exe would be looked for
// beside this executable first), without the user's AutoRun command (/d), with the
// extensions the script's counter needs whatever the user's settings (/e:on) and with
// '!' taken as it stands (/v:off); cmd drops the outer pair of the doubled quotes,
// so a path with blanks stays whole. The system folder is also its current folder,
// where it finds ping. It starts suspended: nothing is deleted before the script
// that removes the file is sure to run.
bool StartSuspended(const char* scriptPath, PROCESS_INFORMATION* process)
{
    char system[MAX_PATH];
    char shell[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::strcpy(shell, system);
    if (!AppendPathComponent(shell, MAX_PATH, "cmd.exe"))
        return false;
    char commandLine[2 * MAX_PATH + sizeof "\"\" /d /e:on /v:off /c \"\"\"\""];
    wsprintfA(commandLine, "\"%s\" /d /e:on /v:off /c \"\"%s\"\"", shell, scriptPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    return CreateProcessA(shell, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                          nullptr, system, &startup, process) != FALSE;
}

struct UninstallScript {
    ScriptPath path;
    PROCESS_INFORMATION process;
};

void RemoveOwnFolder(const ScriptPath& path)
{
    if (path.ownFolder[0] != L'\0')
        RemoveDirectoryW(path.ownFolder);
}

// The script for the program at exePath written and started suspended; false, with
// no script left, when either fails.
bool PrepareUninstallScript(const char* exePath, UninstallScript* script)
{
    if (GetScriptFolder(IsElevated(), &script->path) && WriteUninstallScript(exePath, &script->path)) {
        if (StartSuspended(script->path.ansi, &script->process))
            return true;
        DeleteFileA(script->path.ansi);
    }
    RemoveOwnFolder(script->path);
    return false;
}

// A prepared script that is not to run: ended before its first line, and deleted.
void AbandonScript(const UninstallScript& script)
{
    TerminateProcess(script.process.hProcess, 1);
    WaitForSingleObject(script.process.hProcess, 5000);
    CloseHandle(script.process.hThread);
    CloseHandle(script.process.hProcess);
    DeleteFileA(script.path.ansi);
    RemoveOwnFolder(script.path);
}

// The script keeps trying to delete the executable; it runs at idle priority while
// this process hurries to its end.
void ResumeScript(const PROCESS_INFORMATION& script)
{
    SetThreadPriority(script.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(script.hProcess);
    ResumeThread(script.hThread);
    CloseHandle(script.hThread);
}

// Removes the keys under root, this user's settings too when asked, and lets a script
// remove the program at exePath, unless that is null (its file is gone already).
// Nothing goes unless both keys can go and the script is ready to run; false then.
bool RemoveInstallation(HKEY root, const char* exePath, bool userSettings)
{
    UninstallScript script;
    if (!CanRemoveScopeKeys(root) || (exePath && !PrepareUninstallScript(exePath, &script)))
        return false;
    if (!RemoveScopeKeys(root)) {
        if (exePath)
            AbandonScript(script);
        return false;
    }
    if (userSettings)
        RemoveUserSettings();
    if (exePath)
        ResumeScript(script.process);
    return true;
}

enum class Registration {
    None,          // no uninstall entry: nothing of the program to remove
    ThisFile,      // the entry names the running file, and it has no other name
    MissingFile,   // the file it names is gone: only the entry is left to clean up
    OtherFile,     // another file, or one this copy cannot tell: not this copy's to remove
};

// What the uninstall entry under root names, compared with the running file as the
// installer compares files; registered receives the path as the installer wrote it.
Registration ReadRegistration(HKEY root, char (&registered)[MAX_PATH])
{
    HKEY opened;
    if (RegOpenKeyExA(root, UninstallKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return Registration::None;
    const UniqueKey key(opened);
    // "\"<folder and file>\" /u", as the installer writes it, and nothing else.
    char command[MAX_PATH + sizeof "\"\" /u"];
    DWORD size = sizeof command;
    if (RegGetValueA(key.get(), nullptr, "UninstallString", RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS)
        return Registration::OtherFile;
    const char* end = command[0] == '"' ? std::strchr(command + 1, '"') : nullptr;
    if (!end || std::strcmp(end, "\" /u") != 0 || end - command > MAX_PATH)
        return Registration::OtherFile;
    lstrcpynA(registered, command + 1, static_cast<int>(end - command));
    // A relative path would be taken from the script's own current folder.
    if (!IsFullPath(registered))
        return Registration::OtherFile;
    char running[MAX_PATH];
    if (GetExecutablePath(running, sizeof running) && IsSameFile(registered, running, true))
        return Registration::ThisFile;
    const DWORD missing = GetFileAttributesA(registered) == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
    return missing == ERROR_FILE_NOT_FOUND || missing == ERROR_PATH_NOT_FOUND ? Registration::MissingFile
                                                                               : Registration::OtherFile;
}

// The machine-wide keys and the file go through a copy run through the consent
// prompt; this user's settings go once it has done so. Declined: nothing goes.
void RemoveThroughConsent()
{
    switch (RunElevated(nullptr, nullptr)) {
    case ElevatedRun::Succeeded:
        RemoveUserSettings();
        break;
    case ElevatedRun::Untold:
        ShowWarning(nullptr, IDS_CANNOT_REMOVE);
        break;
    case ElevatedRun::Failed:     // the copy told the user
    case ElevatedRun::Declined:
        break;
    }
}

} // namespace

LONG DeleteKeyTree(HKEY root, const char* subKey)
{
    HKEY opened;
    // The rights its check asks for: a key the user may delete but not re-permission goes too.
    const LONG openError = RegOpenKeyExA(root, subKey, 0, DELETE | KEY_ENUMERATE_SUB_KEYS, &opened);
    if (openError != ERROR_SUCCESS)
        return openError;
    UniqueKey key(opened);
    for (;;) {
        // Always the first subkey: the one handled before is gone. Each level has its own name.
        char name[MAX_PATH];
        DWORD nameSize = sizeof name;
        FILETIME written;
        if (RegEnumKeyExA(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS) {
            key.reset();
            return RegDeleteKeyA(root, subKey);
        }
        const LONG error = DeleteKeyTree(key.get(), name);
        if (error != ERROR_SUCCESS)
            return error;
    }
}

void RunUninstall()
{
    char registered[MAX_PATH];
    InstallScope = ReadInstallScope();
    Registration found = InstallScope ? ReadRegistration(ScopeRoot(InstallScope), registered) : Registration::None;
    // A user who never started an all-users installation: its own file may remove it.
    if (InstallScope == 0 && ReadRegistration(HKEY_LOCAL_MACHINE, registered) == Registration::ThisFile) {
        InstallScope = ScopeAllUsers;
        found = Registration::ThisFile;
    }
    if (InstallScope == 0)
        return;
    // A stray copy (the download, say) would leave the installed one with nothing to remove it.
    if (found == Registration::OtherFile) {
        ShowWarning(nullptr, IDS_CANNOT_REMOVE);
        return;
    }
    // A message that cannot be loaded reads as IDCANCEL: No.
    if (ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (found == Registration::None) {
        RemoveUserSettings();
        return;
    }
    if (InstallScope != ScopeCurrentUser && !CanWriteMachineKeys()) {
        RemoveThroughConsent();
        return;
    }
    // Keys that stay, or a script that cannot name the program exactly, be written or
    // started, would leave a half-removed program: nothing goes.
    if (!RemoveInstallation(ScopeRoot(InstallScope), found == Registration::ThisFile ? registered : nullptr, true))
        ShowWarning(nullptr, IDS_CANNOT_REMOVE);
}

bool RemoveForAllUsers()
{
    // Only what the machine's own entry names: nothing of HKEY_CURRENT_USER, which
    // may be another account's, decides what goes.
    char registered[MAX_PATH];
    const Registration found = ReadRegistration(HKEY_LOCAL_MACHINE, registered);
    InstallScope = ScopeAllUsers;
    if ((found == Registration::ThisFile || found == Registration::MissingFile) &&
        RemoveInstallation(HKEY_LOCAL_MACHINE, found == Registration::ThisFile ? registered : nullptr, false))
        return true;
    ShowWarning(nullptr, IDS_CANNOT_REMOVE);
    return false;
}

bool CanNameForRemoval(const char* installFolder)
{
    // The folder named now and the file name added later, as the script will name them.
    wchar_t folder[MAX_PATH], temporary[MAX_PATH + 1];
    char named[MAX_PATH];
    const DWORD length = IsElevated() ? GetSystemWindowsDirectoryW(temporary, MAX_PATH)
                                      : GetTempPathW(MAX_PATH + 1, temporary);
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, installFolder, -1, folder, MAX_PATH) &&
           NameInCodePage(folder, CP_OEMCP, named, MAX_PATH) && length != 0 && length <= MAX_PATH &&
           NameInCodePage(temporary, CP_ACP, named, MAX_PATH) && NameInCodePage(temporary, CP_OEMCP, named, MAX_PATH);
}
