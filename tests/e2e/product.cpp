#include "e2e/product.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "e2e/harness.h"
#include "e2e/system_state.h"

namespace e2e {

namespace {

std::string WindowTitle(HWND window)
{
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window) &&
        ClassOf(window) == "#32770")
        search->found.push_back(window);
    return TRUE;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

// Every brdl.exe this driver started, and the record of the live watch (one
// at a time) of windows that other processes show.
std::vector<DWORD> g_startedProcesses;
std::vector<std::string>* g_foreignShown;

BOOL CALLBACK RecordForeignWindow(HWND window, LPARAM)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (!IsWindowVisible(window) || processId == GetCurrentProcessId() ||
        std::find(g_startedProcesses.begin(), g_startedProcesses.end(), processId) != g_startedProcesses.end())
        return TRUE;
    const std::string seen = ClassOf(window) + " \"" + WindowTitle(window) + "\"";
    if (std::find(g_foreignShown->begin(), g_foreignShown->end(), seen) == g_foreignShown->end())
        g_foreignShown->push_back(seen);
    return TRUE;
}

// Called from every wait: the windows are sampled, so a window must stay up
// for a few polls to be seen (a console lives as long as its script).
void SampleForeignWindows()
{
    if (g_foreignShown)
        EnumWindows(RecordForeignWindow, 0);
}

} // namespace

std::string BuildExePath()
{
    // The build hands us its Unix path; under Wine, Z: is the Unix root.
    std::string path = std::string("Z:") + BRDL_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ProgramFilesFolder()
{
    char folder[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE))
        return "C:\\Program Files";
    return folder;
}

std::string UninstallScriptPath()
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    std::string path = folder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + "__UNINST.BAT";
}

void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        SampleForeignWindows();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

WindowKind KindOf(HWND window)
{
    if (ClassOf(window) != "#32770")
        return WindowKind::Other;
    const std::string title = WindowTitle(window);
    if (title == "Install Brindle" && GetDlgItem(window, kFolderEdit))
        return WindowKind::InstallDialog;
    if (title != "Brindle")
        return WindowKind::Other;
    // The main window has its Options button; a message box only its text,
    // icon and buttons.
    if (GetDlgItem(window, 1051))
        return WindowKind::MainWindow;
    if (GetDlgItem(window, 0xFFFF))
        return WindowKind::MessageBox;
    return WindowKind::Other;
}

const char* KindName(WindowKind kind)
{
    switch (kind) {
    case WindowKind::InstallDialog: return "install dialog";
    case WindowKind::MainWindow: return "main window";
    case WindowKind::MessageBox: return "message box";
    default: return "other window";
    }
}

std::vector<HWND> DialogWindows(DWORD processId)
{
    DialogSearch search{processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Describe(HWND window)
{
    const WindowKind kind = KindOf(window);
    std::string text = std::string(KindName(kind)) + " \"" + WindowTitle(window) + "\"";
    if (kind == WindowKind::MessageBox)
        text += " saying " + Printable(ReadMessageBox(window).text);
    return text;
}

MessageBoxView ReadMessageBox(HWND box)
{
    MessageBoxView view;
    view.text = ControlText(box, 0xFFFF);
    view.owner = GetWindow(box, GW_OWNER);
    const bool hasOk = GetDlgItem(box, IDOK) != nullptr;
    const bool hasYes = GetDlgItem(box, IDYES) != nullptr;
    const bool hasNo = GetDlgItem(box, IDNO) != nullptr;
    view.yesNo = hasYes && hasNo && !hasOk;
    view.okOnly = hasOk && !hasYes && !hasNo;
    return view;
}

std::string ControlText(HWND dialog, int id)
{
    // WM_GETTEXT is marshalled across processes; GetWindowText would not ask the control.
    char text[1024] = "";
    SendTo(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetControlText(HWND dialog, int id, const std::string& text)
{
    SendTo(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND dialog, int id)
{
    return SendTo(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id)
{
    SendTo(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PostCommand(HWND window, int id)
{
    // Posted, so that a message box the command opens cannot block us.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

// ---- ForeignWindowWatch ---------------------------------------------------

ForeignWindowWatch::ForeignWindowWatch()
{
    g_foreignShown = &shown_;
}

ForeignWindowWatch::~ForeignWindowWatch()
{
    g_foreignShown = nullptr;
}

// ---- BrdlProcess ----------------------------------------------------------

BrdlProcess::BrdlProcess(const std::string& commandLine)
{
    std::string line = commandLine;
    // Started from its own folder, as the shell does.
    std::string exe = line;
    if (!exe.empty() && exe[0] == '"')
        exe = exe.substr(1, exe.find('"', 1) - 1);
    const auto slash = exe.rfind('\\');
    const std::string folder = slash == std::string::npos ? "" : exe.substr(0, slash);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // No console, as from the desktop: the uninstall script then gets one of its own.
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info_)) {
        char error[64];
        std::snprintf(error, sizeof error, " (error %lu)", GetLastError());
        REQUIRE_MSG(false, "could not start " + commandLine + error);
    }
    g_startedProcesses.push_back(info_.dwProcessId);
}

BrdlProcess BrdlProcess::Start(const std::string& exe, const std::string& arguments)
{
    return BrdlProcess("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
}

BrdlProcess::BrdlProcess(BrdlProcess&& other) noexcept
    : info_(other.info_),
      seenHandles_(std::move(other.seenHandles_)),
      seenKinds_(std::move(other.seenKinds_)),
      seen_(std::move(other.seen_))
{
    other.info_ = PROCESS_INFORMATION{};
}

BrdlProcess::~BrdlProcess()
{
    if (!info_.hProcess)
        return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool BrdlProcess::Running() const
{
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD BrdlProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void BrdlProcess::Record()
{
    for (HWND window : DialogWindows(Id())) {
        if (std::find(seenHandles_.begin(), seenHandles_.end(), window) != seenHandles_.end())
            continue;
        seenHandles_.push_back(window);
        seenKinds_.push_back(KindOf(window));
        seen_.push_back(Describe(window));
    }
}

bool BrdlProcess::Showed(WindowKind kind) const
{
    return std::find(seenKinds_.begin(), seenKinds_.end(), kind) != seenKinds_.end();
}

bool BrdlProcess::WaitForExit(DWORD timeoutMs)
{
    return WaitUntil(timeoutMs, [this] {
        Record();
        return !Running();
    });
}

HWND BrdlProcess::WaitForWindow(WindowKind kind, DWORD timeoutMs)
{
    HWND found = nullptr;
    std::string unexpected;
    WaitUntil(timeoutMs, [&] {
        Record();
        for (HWND window : DialogWindows(Id())) {
            const WindowKind seen = KindOf(window);
            if (seen == kind) {
                found = window;
                return true;
            }
            if (seen == WindowKind::MessageBox) {
                unexpected = Describe(window);
                return true;
            }
        }
        return !Running();
    });
    if (found)
        return found;
    std::string what = std::string("waited for the ") + KindName(kind) + ": ";
    if (!unexpected.empty()) {
        what += "got a " + unexpected;
    } else if (!Running()) {
        char code[40];
        std::snprintf(code, sizeof code, "brdl.exe ended (exit code %lu)", ExitCode());
        what += code;
    } else {
        what += "none within the wait; shown: " + Join(seen_);
    }
    REQUIRE_MSG(false, what);
    return nullptr;
}

void BrdlProcess::RequireCleanExit(const std::string& context)
{
    REQUIRE_MSG(WaitForExit(), "brdl.exe ends by itself (" + context + "); shown: " + Join(seen_));
    CHECK_EQ(ExitCode(), 0, "exit code (" + context + ")");
}

void BrdlProcess::RequireQuietExit(const std::string& context)
{
    // Stop at the first window rather than wait out a question nobody answers.
    WaitUntil(kExitTimeout, [this] {
        Record();
        return !Running() || !seen_.empty();
    });
    REQUIRE_MSG(seen_.empty(), "no window is shown (" + context + "); shown: " + Join(seen_));
    RequireCleanExit(context);
}

// ---- composite steps ------------------------------------------------------

void SubmitInstallDialog(HWND dialog, const std::string& folderText, Scope scope)
{
    SetControlText(dialog, kFolderEdit, folderText);
    const int radio = scope == Scope::CurrentUser ? kCurrentUser : kAllUsers;
    Click(dialog, radio);
    REQUIRE_MSG(IsChecked(dialog, radio), "the scope's radio button takes the click");
    PostCommand(dialog, IDOK);
}

void InstallThroughDialog(const std::string& exe, const std::string& folderText, Scope scope)
{
    BrdlProcess run = BrdlProcess::Start(exe);
    SubmitInstallDialog(run.WaitForWindow(WindowKind::InstallDialog), folderText, scope);
    CloseMainWindow(run, run.WaitForWindow(WindowKind::MainWindow));
}

void CloseMainWindow(BrdlProcess& run, HWND mainWindow)
{
    PostCommand(mainWindow, IDCANCEL);
    run.RequireCleanExit("after the main window's Cancel");
}

void CheckStartsStraightToMainWindow(const std::string& exe)
{
    BrdlProcess run = BrdlProcess::Start(exe);
    const HWND mainWindow = run.WaitForWindow(WindowKind::MainWindow);
    CHECK_EQ(Join(run.SeenWindows()), Describe(mainWindow), "windows shown by a start of " + exe);
    CloseMainWindow(run, mainWindow);
}

std::vector<std::string> WaitForRemoval(const std::vector<std::string>& paths)
{
    std::vector<std::string> left;
    WaitUntil(kScriptTimeout, [&] {
        left.clear();
        for (const std::string& path : paths)
            if (PathExists(path))
                left.push_back(path);
        return left.empty();
    });
    return left;
}

namespace {

const char* RootName(HKEY root)
{
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

struct TextValue {
    const char* name;
    std::string data;
};

// The key holds exactly these REG_SZ values, each sized with its terminating NUL.
void CheckTextValues(HKEY root, const char* key, const char* what, std::vector<TextValue> expected)
{
    if (!CHECK_MSG(KeyExists(root, key), std::string(what) + " key under " + RootName(root)))
        return;
    std::sort(expected.begin(), expected.end(),
              [](const TextValue& a, const TextValue& b) { return lstrcmpiA(a.name, b.name) < 0; });
    std::vector<std::string> names;
    for (const TextValue& value : expected)
        names.push_back(value.name);
    CHECK_EQ(Join(ValueNames(root, key)), Join(names), std::string(what) + " values");
    for (const TextValue& value : expected) {
        DWORD type = 0;
        std::string data;
        if (!ReadRawValue(root, key, value.name, &type, &data))
            continue;  // reported with the names
        CHECK_EQ(type, REG_SZ, std::string("type of \"") + value.name + "\"");
        CHECK_EQ(data, value.data + '\0', std::string("data of \"") + value.name + "\"");
    }
}

} // namespace

void CheckInstalledEntries(const std::string& folder, Scope scope)
{
    const HKEY root = scope == Scope::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const HKEY otherRoot = scope == Scope::CurrentUser ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::string exe = folder + "brdl.EXE";

    CheckTextValues(root, kToolbarKey, "toolbar button",
                    {{"ButtonText", "Brindle"},
                     {"CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
                     {"Default Visible", "Yes"},
                     {"Exec", exe},
                     {"HotIcon", folder + "brdl.exe,3"},
                     {"Icon", folder + "brdl.exe,2"}});
    CheckTextValues(root, kUninstallKey, "uninstall entry",
                    {{"DisplayIcon", exe}, {"DisplayName", "Brindle"}, {"UninstallString", "\"" + exe + "\" /u"}});

    DWORD type = 0;
    std::string data;
    if (CHECK_MSG(ReadRawValue(HKEY_CURRENT_USER, kSettingsKey, "InstFlag", &type, &data), "InstFlag exists")) {
        CHECK_EQ(type, REG_DWORD, "type of InstFlag");
        const DWORD scopeValue = static_cast<DWORD>(scope);
        CHECK_EQ(data, std::string(reinterpret_cast<const char*>(&scopeValue), sizeof scopeValue), "InstFlag");
    }

    CHECK_MSG(!KeyExists(otherRoot, kToolbarKey), std::string("no toolbar button key under ") + RootName(otherRoot));
    CHECK_MSG(!KeyExists(otherRoot, kUninstallKey), std::string("no uninstall key under ") + RootName(otherRoot));
}

std::string RecordedUninstallCommand(Scope scope)
{
    const HKEY root = scope == Scope::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    DWORD type = 0;
    std::string data;
    REQUIRE_MSG(ReadRawValue(root, kUninstallKey, "UninstallString", &type, &data) && !data.empty(),
                "an UninstallString is recorded");
    return data.c_str();
}

void RunUninstallAnswering(Scope scope, int answer)
{
    BrdlProcess run(RecordedUninstallCommand(scope));
    const HWND box = run.WaitForWindow(WindowKind::MessageBox);
    const MessageBoxView question = ReadMessageBox(box);
    CHECK_EQ(question.text, kText123, "question");
    CHECK_MSG(question.owner == nullptr, "the question has no owner");
    CHECK_MSG(question.yesNo, "the question has Yes and No buttons");
    PostCommand(box, answer);
    run.RequireCleanExit(answer == IDYES ? "after Yes" : "after No");
}

} // namespace e2e
