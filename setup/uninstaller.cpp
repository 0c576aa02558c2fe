#include "setup/uninstaller.h"

#include <cstddef>
#include <cstring>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/path_utils.h"

namespace {

constexpr char TalvaneKey[] = "Software\\Talvane";
// "__UNINST.BAT", then "__UNINST1.BAT" to "__UNINST99.BAT" while the name is taken.
constexpr int ScriptNameVariants = 100;
// Room for the script of any two paths shorter than MAX_PATH, every % doubled.
constexpr std::size_t UninstallScriptSize = 2304;

// The try counter, and the loop the retry line goes back to.
constexpr char StartLines[] = "set BrdlTries=0\r\n:Repeat\r\n";
constexpr char DeleteFormat[] = "del \"%s\"\r\n";
// A file that cannot go (read-only, held open, in a folder the user may not write)
// would keep a hidden command processor spinning: each retry waits a second
// without burning the processor (ping is on every Windows, timeout.exe is not),
// and after a minute the script gives up, leaving the file and its folder, and
// still deletes itself.
constexpr char RepeatIfExistsFormat[] =
    "if exist \"%s\" if %%BrdlTries%% lss 60 (set /a BrdlTries+=1 >nul & ping -n 2 127.0.0.1 >nul & goto Repeat)\r\n";
constexpr char RemoveFolderFormat[] = "rmdir \"%s\"\r\n";

// A path shorter than MAX_PATH with every % doubled, and its terminator.
constexpr std::size_t EscapedPathSize = 2 * (MAX_PATH - 1) + 1;

// The longest line a format gives: "%s" replaced by an escaped path.
constexpr std::size_t LongestLine(std::size_t formatSize)
{
    return (formatSize - sizeof "%s") + (EscapedPathSize - 1);
}

// Six lines and the terminator that wsprintfA writes behind the last.
constexpr std::size_t ScriptBound = (sizeof StartLines - 1) + 2 * LongestLine(sizeof DeleteFormat) +
                                    LongestLine(sizeof RepeatIfExistsFormat) +
                                    LongestLine(sizeof RemoveFolderFormat) + 1;
static_assert(ScriptBound <= UninstallScriptSize, "any two paths fit the script buffer");
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

// The script's bytes for the executable at exePath, deleting itself at scriptPath:
// every line ends in CR LF, no terminator is counted. The byte count, or 0 when a
// path is not shorter than MAX_PATH or size is below UninstallScriptSize.
std::size_t ComposeUninstallScript(const char* exePath, const char* scriptPath, char* script, std::size_t size)
{
    if (size < UninstallScriptSize || std::strlen(exePath) >= MAX_PATH || std::strlen(scriptPath) >= MAX_PATH)
        return 0;
    std::memcpy(script, StartLines, sizeof StartLines);
    std::size_t length = sizeof StartLines - 1;
    length = AppendLine(script, length, DeleteFormat, exePath);
    length = AppendLine(script, length, RepeatIfExistsFormat, exePath);
    // The folder, without its trailing backslash; a bare file name has none to remove.
    char folder[MAX_PATH];
    std::strcpy(folder, exePath);
    if (const char* last = FindLastBackslash(folder)) {
        folder[last - folder] = '\0';
        length = AppendLine(script, length, RemoveFolderFormat, folder);
    }
    return AppendLine(script, length, DeleteFormat, scriptPath);
}

// Deletes subKey of root with all its subkeys, depth first; ERROR_SUCCESS, or the
// first error met.
LONG DeleteKeyTree(HKEY root, const char* subKey)
{
    HKEY opened;
    const LONG openError = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &opened);
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

bool IsGone(LONG deletion)
{
    return deletion == ERROR_SUCCESS || deletion == ERROR_FILE_NOT_FOUND;
}

// The toolbar button and the uninstall entry under root; false, from the first
// that cannot be deleted on, when one is still there.
bool RemoveScopeKeys(HKEY root)
{
    return IsGone(DeleteKeyTree(root, ToolbarButtonKey)) &&
           IsGone(RegDeleteKeyA(root, UninstallKey));   // the key alone, not one with subkeys
}

// This user's settings. No result is examined: a step that fails does not stop the next.
void RemoveUserSettings()
{
    DeleteKeyTree(HKEY_CURRENT_USER, SettingsKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, TalvaneKey);   // goes only when empty
}

// The script's path as the 8-bit API names it and as the command processor, which
// reads a batch file in the OEM code page, reads it back.
struct ScriptPath {
    char ansi[MAX_PATH];
    char oem[MAX_PATH];
};

// The temporary folder in both code pages; false when either cannot name it exactly.
bool GetTempFolder(ScriptPath* path)
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return length != 0 && length <= MAX_PATH && ConvertExactly(folder, CP_ACP, path->ansi, MAX_PATH) &&
           ConvertExactly(folder, CP_OEMCP, path->oem, MAX_PATH);
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

// Creates and fills the script, all of it or nothing: part of one could delete a
// file named by the front of a path.
bool WriteUninstallScript(ScriptPath* path)
{
    // The executable's path, then the script composed behind it.
    HeapBuffer lines = AllocateBuffer(MAX_PATH + UninstallScriptSize);
    if (!lines || !GetTempFolder(path))
        return false;
    char* exePath = lines.get();
    if (!GetExecutablePath(exePath, MAX_PATH, CP_OEMCP))
        return false;
    HANDLE file = CreateScriptFile(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char* script = exePath + MAX_PATH;
    const std::size_t length = ComposeUninstallScript(exePath, path->oem, script, UninstallScriptSize);
    DWORD written = 0;
    const bool complete = length != 0 && WriteFile(file, script, static_cast<DWORD>(length), &written, nullptr) &&
                          written == length;
    CloseHandle(file);
    if (!complete)
        DeleteFileA(path->ansi);
    return complete;
}

// The command processor from the system folder (a bare cmd.exe would be looked for
// beside this executable first), without the user's AutoRun command (/d) and with
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
    char commandLine[2 * MAX_PATH + sizeof "\"\" /d /v:off /c \"\"\"\""];
    wsprintfA(commandLine, "\"%s\" /d /v:off /c \"\"%s\"\"", shell, scriptPath);
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

// The script written and started suspended; false, with no script left, when either fails.
bool PrepareUninstallScript(UninstallScript* script)
{
    if (!WriteUninstallScript(&script->path))
        return false;
    if (StartSuspended(script->path.ansi, &script->process))
        return true;
    DeleteFileA(script->path.ansi);
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

// Removes the keys under root, this user's settings too when asked, and lets the
// script remove the file. Nothing goes unless the script is ready to run and the
// keys under root are gone; false then.
bool RemoveInstallation(HKEY root, bool userSettings)
{
    UninstallScript script;
    if (!PrepareUninstallScript(&script))
        return false;
    if (!RemoveScopeKeys(root)) {
        AbandonScript(script);
        return false;
    }
    if (userSettings)
        RemoveUserSettings();
    ResumeScript(script.process);
    return true;
}

// True when the machine's uninstall entry starts this very file, compared as the
// installer compares files: an all-users installation of a user who never started it.
bool IsMachineEntryOfThisFile()
{
    char command[MAX_PATH + sizeof "\"\" /u"];
    DWORD size = sizeof command;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", RRF_RT_REG_SZ, nullptr, command, &size) !=
        ERROR_SUCCESS)
        return false;
    // "\"folder\\brdl.EXE\" /u", as the installer writes it.
    char* end = command[0] == '"' ? std::strchr(command + 1, '"') : nullptr;
    if (!end)
        return false;
    *end = '\0';
    char exePath[MAX_PATH];
    return GetExecutablePath(exePath, sizeof exePath) && IsSameFile(command + 1, exePath);
}

// The machine-wide keys and the file go through a copy run through the consent
// prompt; this user's settings go once it has done so. Declined: nothing goes.
void RemoveThroughConsent()
{
    switch (RunElevated(RemoveSwitch)) {
    case ElevatedRun::Succeeded:
        RemoveUserSettings();
        break;
    case ElevatedRun::NotStarted:
        ShowWarning(nullptr, IDS_CANNOT_REMOVE);
        break;
    case ElevatedRun::Failed:     // the copy told the user
    case ElevatedRun::Declined:
        break;
    }
}

} // namespace

void RunUninstall()
{
    InstallScope = ReadInstallScope();
    if (InstallScope == 0 && IsMachineEntryOfThisFile())
        InstallScope = ScopeAllUsers;
    if (InstallScope == 0)
        return;
    // A message that cannot be loaded reads as IDCANCEL: No.
    if (ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (InstallScope != ScopeCurrentUser && !CanWriteMachineKeys()) {
        RemoveThroughConsent();
        return;
    }
    // A path the script cannot name exactly, a script that cannot be written or
    // started, or keys that stay would leave a half-removed program: nothing goes.
    if (!RemoveInstallation(ScopeRoot(InstallScope), true))
        ShowWarning(nullptr, IDS_CANNOT_REMOVE);
}

bool RemoveForAllUsers()
{
    InstallScope = ScopeAllUsers;
    if (RemoveInstallation(HKEY_LOCAL_MACHINE, false))
        return true;
    ShowWarning(nullptr, IDS_CANNOT_REMOVE);
    return false;
}
