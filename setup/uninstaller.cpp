#include "setup/uninstaller.h"

#include <cstring>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/path_utils.h"

namespace {

constexpr char TalvaneKey[] = "Software\\Talvane";

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

// No result is examined: a step that fails does not stop the next.
void RemoveRegistryEntries(HKEY root)
{
    DeleteKeyTree(root, ToolbarButtonKey);
    RegDeleteKeyA(root, UninstallKey);   // the key alone, not one with subkeys
    DeleteKeyTree(HKEY_CURRENT_USER, SettingsKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, TalvaneKey);   // goes only when empty
}

// Writes the whole script or none: a cut executable path would name another file.
bool WriteUninstallScript(const char* scriptPath)
{
    // The executable's path, then the script composed behind it.
    HeapBuffer lines = AllocateBuffer(MAX_PATH + UninstallScriptSize);
    if (!lines)
        return false;
    char* exePath = lines.get();
    if (!GetExecutablePath(exePath, MAX_PATH))
        return false;
    char* script = exePath + MAX_PATH;
    const std::size_t length = ComposeUninstallScript(exePath, scriptPath, script, UninstallScriptSize);
    if (length == 0)
        return false;

    HANDLE file = CreateFileA(scriptPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, script, static_cast<DWORD>(length), &written, nullptr) && written == length;
    CloseHandle(file);
    // Part of a script could delete a file named by the front of a path.
    if (!complete)
        DeleteFileA(scriptPath);
    return complete;
}

// The script keeps trying to delete the executable; it runs at idle priority while
// this process hurries to its end. A failed start is not reported.
void StartHidden(const char* scriptPath)
{
    // Quoted: a temporary folder with blanks (a user name with a space) would
    // otherwise be split by the command processor and the script never run.
    char commandLine[MAX_PATH + 2];
    wsprintfA(commandLine, "\"%s\"", scriptPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr,
                        "\\", &startup, &process))
        return;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
}

// Every failure ends silently: the registry is clean already.
void StartUninstallScript()
{
    HeapBuffer scriptPath = AllocateBuffer(MAX_PATH);
    if (!scriptPath)
        return;
    const DWORD tempLength = GetTempPathA(MAX_PATH, scriptPath.get());
    if (tempLength == 0 || tempLength >= MAX_PATH)
        return;
    if (!AppendPathComponent(scriptPath.get(), MAX_PATH, UninstallScriptName))
        return;
    if (WriteUninstallScript(scriptPath.get()))
        StartHidden(scriptPath.get());
}

} // namespace

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

void RunUninstall()
{
    InstallScope = ReadInstallScope();
    if (InstallScope == 0)
        return;
    // A message that cannot be loaded reads as IDCANCEL: No.
    if (ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    RemoveRegistryEntries(ScopeRoot(InstallScope));
    StartUninstallScript();
}
