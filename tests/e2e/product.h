// Brindle seen from outside: where it is, its started processes, and its windows
// (install dialog, main window, message boxes) worked with messages.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace e2e {

// Bounded waits; generous, since a first Wine start can be slow.
constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kExitTimeout = 20000;
constexpr DWORD kScriptTimeout = 30000;

constexpr char kText121[] = "Unable to copy file to destination folder. Installation was aborted.";
constexpr char kText123[] = "Delete BRDL files and all program settings saved to registry?";
constexpr char kText124[] = "You must enter a folder where this program will be installed.";

// Install dialog controls.
constexpr int kFolderEdit = 1059;
constexpr int kAllUsers = 1061;
constexpr int kCurrentUser = 1062;

std::string BuildExePath();        // the brdl.exe of this build, as a Windows path
std::string ProgramFilesFolder();  // as this process (of the same bitness) sees it
std::string UninstallScriptPath(); // the temporary folder's __UNINST.BAT

// Dispatches this thread's messages for ms milliseconds (our own windows must
// answer while the program works on them).
void PumpFor(DWORD ms);
// Pumps until done() holds or timeoutMs has passed; returns done().
template <typename Done>
bool WaitUntil(DWORD timeoutMs, Done done)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs)
            return done();
        PumpFor(20);
    }
    return true;
}

enum class WindowKind { Other, InstallDialog, MainWindow, MessageBox };
WindowKind KindOf(HWND window);
const char* KindName(WindowKind kind);
// Every visible dialog-class top-level window, of one process or (pid 0) of all.
std::vector<HWND> DialogWindows(DWORD processId);
std::string Describe(HWND window);

struct MessageBoxView {
    std::string text;
    HWND owner;
    bool yesNo;   // Yes and No buttons, no OK
    bool okOnly;  // OK button, no Yes
};
MessageBoxView ReadMessageBox(HWND box);

std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
bool IsChecked(HWND dialog, int id);
void Click(HWND dialog, int id);          // BM_CLICK, for controls that open nothing modal
void PostCommand(HWND window, int id);    // WM_COMMAND as a button press would send it
HWND FocusOf(HWND window);                // the focus of the window's thread

// Records the visible top-level windows of processes other than this driver
// and the brdl.exe runs it started, as seen during every wait while the watch
// lives. The only other process the program starts is the uninstall script,
// which must run hidden.
class ForeignWindowWatch {
public:
    ForeignWindowWatch();
    ~ForeignWindowWatch();
    ForeignWindowWatch(const ForeignWindowWatch&) = delete;
    ForeignWindowWatch& operator=(const ForeignWindowWatch&) = delete;
    const std::vector<std::string>& Shown() const { return shown_; }

private:
    std::vector<std::string> shown_;
};

// One started brdl.exe, ended by the destructor if it still runs.
class BrdlProcess {
public:
    // commandLine as a shell would pass it: the quoted executable, then arguments.
    explicit BrdlProcess(const std::string& commandLine);
    static BrdlProcess Start(const std::string& exe, const std::string& arguments = "");
    BrdlProcess(BrdlProcess&& other) noexcept;
    ~BrdlProcess();
    BrdlProcess(const BrdlProcess&) = delete;
    BrdlProcess& operator=(const BrdlProcess&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;
    DWORD ExitCode() const;
    bool WaitForExit(DWORD timeoutMs = kExitTimeout);
    // Waits for a window of this kind; a message box or an ended process first
    // ends the case with what was seen instead.
    HWND WaitForWindow(WindowKind kind, DWORD timeoutMs = kWindowTimeout);
    // Every dialog window the process has shown during this object's waits.
    const std::vector<std::string>& SeenWindows() const { return seen_; }
    bool Showed(WindowKind kind) const;
    // Requires the run to end by itself with exit code 0; context names the
    // moment in the failure text.
    void RequireCleanExit(const std::string& context);
    // The same, for a run that must show no window at all on its way.
    void RequireQuietExit(const std::string& context);

private:
    void Record();
    PROCESS_INFORMATION info_{};
    std::vector<HWND> seenHandles_;
    std::vector<WindowKind> seenKinds_;
    std::vector<std::string> seen_;
};

// ---- composite steps ------------------------------------------------------

enum class Scope : DWORD { AllUsers = 1, CurrentUser = 2 };

// Fills the open install dialog and presses OK.
void SubmitInstallDialog(HWND dialog, const std::string& folderText, Scope scope);
// First start of exe through the install dialog up to the main window, which
// is then closed with Cancel; the run must end cleanly.
void InstallThroughDialog(const std::string& exe, const std::string& folderText, Scope scope);
// Closes the main window with Cancel and requires the run to end.
void CloseMainWindow(BrdlProcess& run, HWND mainWindow);
// A start of exe that must open the main window at once, with no install dialog.
void CheckStartsStraightToMainWindow(const std::string& exe);

// Waits, as long as the uninstall script may take, until every path is gone;
// returns those left.
std::vector<std::string> WaitForRemoval(const std::vector<std::string>& paths);

// Checks the toolbar button, uninstall and settings entries of an installation
// into folder (ending with a backslash) with the given scope: exact names,
// types, data and sizes, and nothing under the other root.
void CheckInstalledEntries(const std::string& folder, Scope scope);

// The uninstall command recorded under the scope's root.
std::string RecordedUninstallCommand(Scope scope);
// Runs that command as the system's program list would, checks its question
// and answers it; the run must then end cleanly.
void RunUninstallAnswering(Scope scope, int answer);

} // namespace e2e
