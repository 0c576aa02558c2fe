// Brindle seen from outside: its started processes, and its windows (install
// dialog, main window, message boxes) worked with messages.
#include <shlobj.h>

#include <algorithm>
#include <iterator>

#include "e2e/driver.h"

namespace e2e {

std::vector<std::string> g_foreignWindows;

namespace {

const char* const kKindNames[] = {"other window", "install dialog", "main window", "message box"};

std::vector<DWORD> g_started;  // every brdl.exe this driver started

// A window's title or class name, as get (GetWindowTextA or GetClassNameA) gives it.
std::string TextOf(HWND window, int(WINAPI* get)(HWND, LPSTR, int))
{
    char text[256] = "";
    get(window, text, sizeof text);
    return text;
}

DWORD ProcessOf(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

BOOL CALLBACK AddVisible(HWND window, LPARAM list)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows()
{
    std::vector<HWND> windows;
    EnumWindows(AddVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

LRESULT SendToControl(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

WindowKind KindOf(HWND window)
{
    if (TextOf(window, GetClassNameA) != "#32770")
        return WindowKind::Other;
    const std::string title = TextOf(window, GetWindowTextA);
    if (title == "Install Brindle" && GetDlgItem(window, kFolderEdit))
        return WindowKind::InstallDialog;
    if (title != "Brindle")
        return WindowKind::Other;
    // The main window has its Options button; a message box only text, icon and buttons.
    if (GetDlgItem(window, 1051))
        return WindowKind::MainWindow;
    return GetDlgItem(window, 0xFFFF) ? WindowKind::MessageBox : WindowKind::Other;
}

std::string Describe(HWND window)
{
    const WindowKind kind = KindOf(window);
    std::string text = kKindNames[static_cast<int>(kind)] + (" \"" + TextOf(window, GetWindowTextA) + "\"");
    if (kind == WindowKind::MessageBox)
        text += " saying \"" + ControlText(window, 0xFFFF) + "\"";
    return text;
}

} // namespace

std::string BuildExePath()
{
    // The build hands us its Unix path; under Wine, Z: is the Unix root.
    std::string path = std::string("Z:") + BRDL_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string DefaultInstallFolder()
{
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder);
    return std::string(folder) + "\\BRDL";
}

std::string UninstallScriptPath()
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "__UNINST.BAT";
}

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    for (;;) {
        // Sampled, so a window must stay up a few polls to be seen (a console lives as long as its script).
        for (HWND window : VisibleWindows()) {
            const DWORD process = ProcessOf(window);
            const std::string seen = TextOf(window, GetClassNameA) + " \"" + TextOf(window, GetWindowTextA) + "\"";
            if (process != GetCurrentProcessId() && !std::count(g_started.begin(), g_started.end(), process) &&
                !std::count(g_foreignWindows.begin(), g_foreignWindows.end(), seen))
                g_foreignWindows.push_back(seen);
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::string ControlText(HWND dialog, int id)
{
    // WM_GETTEXT is marshalled across processes; GetWindowText would not ask the control.
    char text[1024] = "";
    SendToControl(dialog, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetControlText(HWND dialog, int id, const std::string& text)
{
    SendToControl(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND dialog, int id)
{
    return SendToControl(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id)
{
    SendToControl(dialog, id, BM_CLICK, 0, 0);
}

void PostCommand(HWND window, int id)
{
    // Posted, so that a message box the command opens cannot block us.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// ---- BrdlProcess ---------------------------------------------------------------

BrdlProcess::BrdlProcess(const std::string& commandLine)
{
    // From the executable's own folder, as the shell starts it.
    const std::string exe = commandLine.substr(1, commandLine.find('"', 1) - 1);
    const std::string folder = exe.substr(0, exe.rfind('\\'));
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // No console, as from the desktop: the uninstall script then gets one of its own.
    REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, folder.c_str(),
                           &startup, &info_),
            "start " + commandLine);
    g_started.push_back(info_.dwProcessId);
}

BrdlProcess::~BrdlProcess()
{
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

std::vector<HWND> BrdlProcess::Record()
{
    std::vector<HWND> dialogs;
    for (HWND window : VisibleWindows()) {
        if (ProcessOf(window) != Id() || TextOf(window, GetClassNameA) != "#32770")
            continue;
        dialogs.push_back(window);
        if (!std::count(seenWindows_.begin(), seenWindows_.end(), window)) {
            seenWindows_.push_back(window);
            seen_.push_back(Describe(window));
        }
    }
    return dialogs;
}

HWND BrdlProcess::WaitFor(WindowKind kind)
{
    HWND found = nullptr;
    WaitUntil(kTimeout, [&] {
        for (HWND window : Record()) {
            const WindowKind seen = KindOf(window);
            if (seen == kind)
                found = window;
            if (seen == kind || seen == WindowKind::MessageBox)
                return true;
        }
        return !Running();
    });
    REQUIRE(found != nullptr, std::string("a ") + kKindNames[static_cast<int>(kind)] + " opens; shown: " + Shown() +
                                  (Running() ? "" : ", then brdl.exe ended"));
    return found;
}

void BrdlProcess::RequireCleanExit(const std::string& context)
{
    const bool ended = WaitUntil(kTimeout, [this] {
        Record();
        return !Running();
    });
    REQUIRE(ended, "brdl.exe ends by itself (" + context + "); shown: " + Shown());
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    CHECK_EQ(std::to_string(code), "0", "exit code (" + context + ")");
}

void BrdlProcess::RequireQuietExit(const std::string& context)
{
    // Stop at the first window rather than wait out a question nobody answers.
    WaitUntil(kTimeout, [this] {
        Record();
        return !Running() || !seen_.empty();
    });
    REQUIRE(seen_.empty(), "no window is shown (" + context + "); shown: " + Shown());
    RequireCleanExit(context);
}

// ---- steps ---------------------------------------------------------------------

void FillInstallDialog(HWND dialog, const std::string& folderText, Scope scope)
{
    if (!folderText.empty())
        SetControlText(dialog, kFolderEdit, folderText);
    const int radio = scope == Scope::CurrentUser ? kCurrentUser : kAllUsers;
    Click(dialog, radio);
    REQUIRE(IsChecked(dialog, radio), "the scope's radio button takes the click");
    PostCommand(dialog, IDOK);
}

void InstallThroughDialog(const std::string& exe, Scope scope, const std::string& folderText)
{
    BrdlProcess run(Quote(exe));
    FillInstallDialog(run.WaitFor(WindowKind::InstallDialog), folderText, scope);
    const HWND mainWindow = run.WaitFor(WindowKind::MainWindow);
    std::vector<DWORD> owners;
    for (HWND window : VisibleWindows())
        if (KindOf(window) == WindowKind::MainWindow)
            owners.push_back(ProcessOf(window));
    CHECK(owners == std::vector<DWORD>{run.Id()}, "one main window is open, the started brdl.exe's");

    // The folder the text names, without its blanks.
    std::string folder = folderText.empty() ? DefaultInstallFolder() : folderText;
    folder.erase(folder.find_last_not_of(' ') + 1);
    folder.erase(0, folder.find_first_not_of(' '));
    CHECK_EQ(Join(FolderEntries(folder)), "brdl.EXE", "files in the install folder");
    const std::string copy = ReadFileBytes(folder + "\\brdl.EXE");
    CHECK(!copy.empty() && copy == ReadFileBytes(BuildExePath()), "the installed file is the program, byte for byte");
    CheckInstalledEntries(folder, scope);
    CloseMainWindow(run, mainWindow);
}

void CloseMainWindow(BrdlProcess& run, HWND mainWindow)
{
    PostCommand(mainWindow, IDCANCEL);
    run.RequireCleanExit("after the main window's Cancel");
}

void CheckStartsStraightToMainWindow(const std::string& exe)
{
    BrdlProcess run(Quote(exe));
    const HWND mainWindow = run.WaitFor(WindowKind::MainWindow);
    CHECK_EQ(run.Shown(), "main window \"Brindle\"", "windows shown by a start of " + exe);
    CloseMainWindow(run, mainWindow);
}

HWND AnswerMessage(BrdlProcess& run, const char* text, HWND owner, const char* buttons, int answer)
{
    const HWND box = run.WaitFor(WindowKind::MessageBox);
    CHECK_EQ(ControlText(box, 0xFFFF), text, "message text");
    CHECK(GetWindow(box, GW_OWNER) == owner, std::string("the message's owner is ") + (owner ? "the dialog" : "none"));
    const std::pair<int, const char*> kButtons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"}};
    std::vector<std::string> shown;
    for (const auto& [id, name] : kButtons)
        if (IsWindowVisible(GetDlgItem(box, id)))
            shown.push_back(name);
    CHECK_EQ(Join(shown), buttons, "the message's buttons");
    PostCommand(box, answer);
    return box;
}

void RunUninstallAnswering(Scope scope, int answer)
{
    const HKEY root = scope == Scope::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const std::string command = ReadValue(root, kUninstallKey, "UninstallString").data.c_str();
    REQUIRE(!command.empty(), "an UninstallString is recorded");
    BrdlProcess run(command);
    AnswerMessage(run, kText123, nullptr, "Yes, No", answer);
    run.RequireCleanExit(answer == IDYES ? "after Yes" : "after No");
}

std::string LeftBehind(const std::vector<std::string>& paths)
{
    std::vector<std::string> left;
    WaitUntil(kTimeout, [&] {
        left.clear();
        std::copy_if(paths.begin(), paths.end(), std::back_inserter(left), Exists);
        return left.empty();
    });
    return Join(left);
}

void CheckRemovedCompletely(const std::string& folder)
{
    CHECK_EQ(DumpOwnedKeys(), "", "registry after Yes");
    CHECK_EQ(LeftBehind({folder + "\\brdl.EXE", folder, UninstallScriptPath()}), "(none)",
             "left behind by the uninstall script");
}

void CheckInstalledEntries(const std::string& folder, Scope scope)
{
    const std::string exe = folder + "\\brdl.EXE";
    const RegTree toolbar{true,
                          {Sz("ButtonText", "Brindle"), Sz("CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"),
                           Sz("Default Visible", "Yes"), Sz("Exec", exe), Sz("HotIcon", folder + "\\brdl.exe,3"),
                           Sz("Icon", folder + "\\brdl.exe,2")},
                          {}};
    const RegTree uninstall{
        true, {Sz("DisplayIcon", exe), Sz("DisplayName", "Brindle"), Sz("UninstallString", Quote(exe) + " /u")}, {}};
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const bool ours = (root == HKEY_CURRENT_USER) == (scope == Scope::CurrentUser);
        const std::string where = root == HKEY_CURRENT_USER ? " under HKCU" : " under HKLM";
        CHECK_EQ(RegTree::Read(root, kToolbarKey).Dump(), (ours ? toolbar : RegTree{}).Dump(), "toolbar" + where);
        CHECK_EQ(RegTree::Read(root, kUninstallKey).Dump(), (ours ? uninstall : RegTree{}).Dump(), "uninstall" + where);
    }
    CHECK_EQ(ReadValue(HKEY_CURRENT_USER, kSettingsKey, "InstFlag").Dump(),
             Dword("InstFlag", static_cast<DWORD>(scope)).Dump(), "InstFlag");
}

std::string CopyProgram(const std::string& folder)
{
    const std::string exe = folder + "\\brdl.EXE";
    CreateFolder(folder);
    REQUIRE(CopyFileA(BuildExePath().c_str(), exe.c_str(), FALSE), "copy the program to " + exe);
    return exe;
}

void RecordEntries(HKEY root, const std::string& exe)
{
    SetValue(root, kToolbarKey, Sz("Exec", exe));
    SetValue(root, kUninstallKey, Sz("UninstallString", Quote(exe) + " /u"));
}

} // namespace e2e
