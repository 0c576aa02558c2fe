// End to end: the built brdl.exe started as a user starts it, in a Wine prefix of
// its own (fresh-prefix.sh), its windows worked with messages from outside.
#include <doctest/doctest.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/registry_sandbox.h"

namespace {

constexpr char SettingsKey[] = "Software\\Talvane\\BRDL";
constexpr char ToolbarKey[] =
    "Software\\Microsoft\\Internet Explorer\\Extensions\\{6C0E52A4-1B7D-4F38-9E21-A5D3C7B1E904}";
constexpr char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BRDL";

std::vector<DWORD> g_started;   // every brdl.exe process of this run
std::vector<std::string> g_foreign;   // windows that other processes showed during the waits

std::string ProgramPath()
{
    // The build gives its Unix path; under Wine, Z: is the Unix root.
    std::string path = std::string("Z:") + BRDL_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ProgramFiles()
{
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder);
    return folder;
}

std::string Quote(const std::string& path)
{
    return "\"" + path + "\"";
}

DWORD ProcessOf(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

std::string Title(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK NoteForeign(HWND window, LPARAM)
{
    const DWORD process = ProcessOf(window);
    if (IsWindowVisible(window) && process != GetCurrentProcessId() &&
        std::find(g_started.begin(), g_started.end(), process) == g_started.end())
        g_foreign.push_back(Title(window));
    return TRUE;
}

// Dispatches this thread's messages until done() holds, for 30 s at most.
bool WaitUntil(const std::function<bool()>& done)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
        EnumWindows(NoteForeign, 0);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (done())
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

std::string ControlText(HWND dialog, int id)
{
    // Sent, not GetWindowText: the control is another process's.
    char text[512] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void Press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// One started brdl.exe, ended by the destructor if it still runs.
class Brdl {
public:
    explicit Brdl(const std::string& commandLine)
    {
        const std::string exe = commandLine.substr(1, commandLine.find('"', 1) - 1);
        std::string line = commandLine;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        // From its own folder and with no console, as the shell starts it.
        REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                               exe.substr(0, exe.rfind('\\')).c_str(), &startup, &info_));
        g_started.push_back(info_.dwProcessId);
    }
    ~Brdl()
    {
        TerminateProcess(info_.hProcess, 1);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }

    // Its visible window titled title that holds control id; nullptr if the process ends first.
    HWND Window(const std::string& title, int id)
    {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
                if (ProcessOf(window) == info_.dwProcessId && IsWindowVisible(window) && Title(window) == title &&
                    GetDlgItem(window, id))
                    found = window;
            return found || WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
        });
        return found;
    }

    // Ends by itself with exit code 0; quietly: without showing any window.
    bool Ends(bool quietly = false)
    {
        bool shown = false;
        WaitUntil([&] {
            for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
                shown |= ProcessOf(window) == info_.dwProcessId && IsWindowVisible(window);
            return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
        });
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code == 0 && !(quietly && shown);
    }

private:
    PROCESS_INFORMATION info_ = {};
};

void InstallCopy(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    REQUIRE(CopyFileA(ProgramPath().c_str(), (folder + "\\brdl.EXE").c_str(), FALSE));
}

} // namespace

TEST_CASE("a first start installs through the dialog and opens; a second start, even with /u, only raises it")
{
    Brdl first(Quote(ProgramPath()));
    HWND dialog = first.Window("Install Brindle", 1059);
    REQUIRE(dialog);
    CHECK(ControlText(dialog, 1059) == ProgramFiles() + "\\BRDL");
    Press(dialog, IDOK);
    HWND main = first.Window("Brindle", 1051);
    REQUIRE(main);
    const std::string installed = ProgramFiles() + "\\BRDL\\brdl.EXE";
    CHECK(ReadBytes(installed) == ReadBytes(ProgramPath()));

    ShowWindow(main, SW_MINIMIZE);
    REQUIRE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
    CHECK(Brdl(Quote(installed) + " /u").Ends(true));
    CHECK(WaitUntil([&] { return !IsIconic(main); }));
    CHECK(Exists(installed));
    CHECK(KeyExists(HKEY_CURRENT_USER, SettingsKey));
    Press(main, IDCANCEL);
    CHECK(first.Ends());
}

TEST_CASE("the installed copy, started by a user who has no settings, installs over itself and opens")
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Talvane");
    const std::string folder = ProgramFiles() + "\\BRDL";
    InstallCopy(folder);
    Brdl run(Quote(folder + "\\brdl.EXE"));
    HWND dialog = run.Window("Install Brindle", 1059);
    REQUIRE(dialog);
    Press(dialog, IDOK);
    HWND main = run.Window("Brindle", 1051);
    REQUIRE(main);   // not message 121
    CHECK(ReadBytes(folder + "\\brdl.EXE") == ReadBytes(ProgramPath()));
    Press(main, IDCANCEL);
    CHECK(run.Ends());
}

TEST_CASE("/u removes the keys, then a hidden script removes the program, its folder and itself")
{
    // A script that does not double % would name the decoy instead.
    const std::string folder = "C:\\100% Tools", exe = folder + "\\brdl.EXE", decoy = "C:\\100 Tools";
    InstallCopy(folder);
    CreateDirectoryA(decoy.c_str(), nullptr);
    WriteBytes(decoy + "\\brdl.EXE", "decoy");
    WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 2);
    WriteDword(HKEY_CURRENT_USER, ToolbarKey, "x", 1);
    WriteDword(HKEY_CURRENT_USER, UninstallKey, "x", 1);
    // A temporary folder with a blank, as a user name with a space gives.
    const std::string temp = "C:\\Temp Folder", script = temp + "\\__UNINST.BAT";
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());

    Brdl run(Quote(exe) + " /u");
    HWND question = run.Window("Brindle", 0xFFFF);
    REQUIRE(question);
    CHECK(ControlText(question, 0xFFFF) == "Delete BRDL files and all program settings saved to registry?");
    g_foreign.clear();
    Press(question, IDYES);
    CHECK(run.Ends());
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, ToolbarKey));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallKey));
    CHECK(WaitUntil([&] { return !Exists(exe) && !Exists(folder) && !Exists(script); }));
    CHECK(ReadBytes(decoy + "\\brdl.EXE") == "decoy");
    CHECK(g_foreign.empty());   // the script ran hidden
}
