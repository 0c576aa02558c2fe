// The end-to-end driver's shared parts: checks, Brindle's keys and files, and
// its processes and windows seen from outside.
#pragma once
#include <windows.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// ---- checks: a failure is recorded and the case goes on; REQUIRE ends it ----

struct CaseAborted {};
bool Check(bool ok, const char* file, int line, const std::string& what);
bool CheckEqual(const std::string& actual, const std::string& expected, const char* file, int line,
                const std::string& what);
std::string Join(const std::vector<std::string>& items);  // "(none)" when empty

// ---- what Brindle owns -------------------------------------------------------

// Bounded waits; generous, since a first Wine start can be slow.
constexpr DWORD kTimeout = 30000;

// Folders the driver may create and always removes again.
constexpr char kScratchFolder[] = "C:\\BrdlE2E";
constexpr char kToolsFolder[] = "C:\\Tools";
constexpr char kPercentFolder[] = "C:\\100% Tools";
constexpr char kPercentDecoyFolder[] = "C:\\100 Tools";

constexpr char kTalvaneKey[] = "Software\\Talvane";
constexpr char kSettingsKey[] = "Software\\Talvane\\BRDL";
constexpr char kToolbarKey[] =
    "Software\\Microsoft\\Internet Explorer\\Extensions\\{6C0E52A4-1B7D-4F38-9E21-A5D3C7B1E904}";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BRDL";
// The settings key's parent, and the toolbar button and uninstall keys under both roots.
extern const std::pair<HKEY, const char*> kOwnedKeys[5];

constexpr char kText121[] = "Unable to copy file to destination folder. Installation was aborted.";
constexpr char kText123[] = "Delete BRDL files and all program settings saved to registry?";
constexpr char kText124[] = "You must enter a folder where this program will be installed.";

// Install dialog controls.
constexpr int kFolderEdit = 1059;
constexpr int kAllUsers = 1061;
constexpr int kCurrentUser = 1062;

enum class Scope : DWORD { AllUsers = 1, CurrentUser = 2 };

std::string BuildExePath();          // the brdl.exe of this build, as a Windows path
std::string DefaultInstallFolder();  // Program Files\BRDL, as a process of this bitness sees it
std::string UninstallScriptPath();   // the temporary folder's __UNINST.BAT
inline std::string Quote(const std::string& path) { return "\"" + path + "\""; }

// ---- registry ----------------------------------------------------------------

struct RegValue {
    std::string name;
    DWORD type;
    std::string data;  // the raw bytes, as stored
    std::string Dump() const;
};
// REG_SZ data is sized with its terminating NUL.
inline RegValue Sz(const char* name, const std::string& text) { return {name, REG_SZ, text + '\0'}; }
inline RegValue Dword(const char* name, DWORD value)
{
    return {name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

// A key with everything below it, or (exists false) no key.
struct RegTree {
    bool exists = false;
    std::vector<RegValue> values;
    std::vector<std::pair<std::string, RegTree>> subkeys;

    static RegTree Read(HKEY root, const char* path);
    void Write(HKEY root, const char* path) const;  // replaces whatever is at path
    // One sorted line per key and value: equal texts, equal trees.
    std::string Dump(const std::string& indent = "  ") const;
};
RegValue ReadValue(HKEY root, const char* path, const char* name);  // type REG_NONE when absent
void SetValue(HKEY root, const char* path, const RegValue& value);  // creating the key
std::string DumpOwnedKeys();  // "" when none of them exists
void DeleteOwnedKeys();

// ---- files -------------------------------------------------------------------

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string ReadFileBytes(const std::string& path);
inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
// Errors are ignored: a folder already there, or already gone, is fine.
inline void CreateFolder(const std::string& path) { std::error_code e; std::filesystem::create_directories(path, e); }
inline void RemoveTree(const std::string& path) { std::error_code e; std::filesystem::remove_all(path, e); }
std::vector<std::string> FolderEntries(const std::string& path);  // sorted

// ---- processes and windows ---------------------------------------------------

// Dispatches this thread's messages (our windows must answer the program) until done() or the timeout.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done);

// Windows that processes other than this driver and its brdl.exe runs show during the waits:
// the only other process the program starts is the uninstall script, which must run hidden.
extern std::vector<std::string> g_foreignWindows;

enum class WindowKind { Other, InstallDialog, MainWindow, MessageBox };

std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
bool IsChecked(HWND dialog, int id);
void Click(HWND dialog, int id);        // for controls that open nothing modal
void PostCommand(HWND window, int id);  // as a button press would, without waiting

// One started brdl.exe, ended by the destructor if it still runs.
class BrdlProcess {
public:
    // As a shell would start it: the quoted executable, then any arguments.
    explicit BrdlProcess(const std::string& commandLine);
    ~BrdlProcess();
    BrdlProcess(const BrdlProcess&) = delete;
    BrdlProcess& operator=(const BrdlProcess&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // A message box, or the end of the run, coming first ends the case.
    HWND WaitFor(WindowKind kind);
    std::string Shown() const { return Join(seen_); }  // every dialog window seen during the waits
    void RequireCleanExit(const std::string& context);  // ends by itself with exit code 0
    void RequireQuietExit(const std::string& context);  // the same, showing no window

private:
    std::vector<HWND> Record();  // this process's dialog windows now
    PROCESS_INFORMATION info_{};
    std::vector<HWND> seenWindows_;
    std::vector<std::string> seen_;
};

// ---- steps -------------------------------------------------------------------

// Types folderText (unless empty), picks the scope and presses OK.
void FillInstallDialog(HWND dialog, const std::string& folderText, Scope scope);
// A first start of exe installs by the dialog (an empty text keeps the offered folder); the
// file and entries are checked while the main window is open, which Cancel then closes.
void InstallThroughDialog(const std::string& exe, Scope scope, const std::string& folderText = "");
void CloseMainWindow(BrdlProcess& run, HWND mainWindow);
// A start that must open the main window at once, with no install dialog.
void CheckStartsStraightToMainWindow(const std::string& exe);
// Checks the run's message box (buttons as "OK" or "Yes, No") and answers it.
HWND AnswerMessage(BrdlProcess& run, const char* text, HWND owner, const char* buttons, int answer);
// Runs the recorded command, as the system's program list would, and answers its question.
void RunUninstallAnswering(Scope scope, int answer);
// Waits as long as the uninstall script may take; returns the paths still there.
std::string LeftBehind(const std::vector<std::string>& paths);
// After Yes: no key is left, and the script removed the file, the folder and itself.
void CheckRemovedCompletely(const std::string& folder);
// The toolbar button, uninstall and InstFlag entries of an installation into
// folder: exact names, types, data and sizes, and nothing under the other root.
void CheckInstalledEntries(const std::string& folder, Scope scope);
std::string CopyProgram(const std::string& folder);  // returns the copy's path
void RecordEntries(HKEY root, const std::string& exe);  // toolbar Exec and UninstallString

} // namespace e2e

#define CHECK(cond, what) e2e::Check((cond), __FILE__, __LINE__, (what))
#define CHECK_EQ(actual, expected, what) e2e::CheckEqual((actual), (expected), __FILE__, __LINE__, (what))
#define REQUIRE(cond, what) do { if (!CHECK(cond, what)) throw e2e::CaseAborted(); } while (0)
