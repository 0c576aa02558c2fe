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
std::vector<DWORD> g_ours = {GetCurrentProcessId()};   // this driver and every brdl.exe it started
std::vector<std::string> g_foreign;                    // windows other processes showed meanwhile

std::string ProgramPath()
{
    // The build gives its Unix path; under Wine, Z: is the Unix root.
    std::string path = std::string("Z:") + BRDL_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
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

// Dispatches this thread's messages until done() holds, for 30 s at most.
bool WaitUntil(const std::function<bool()>& done)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
            if (IsWindowVisible(window) && std::count(g_ours.begin(), g_ours.end(), ProcessOf(window)) == 0)
                g_foreign.push_back(Title(window));
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
    char text[512] = "";   // sent: the control is another process's
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void Press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// One brdl.exe, started from its own folder with no console, as the shell starts it.
struct Brdl {
    explicit Brdl(const std::string& exe, std::string arguments = "")
    {
        std::string line = "\"" + exe + "\"" + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                               exe.substr(0, exe.rfind('\\')).c_str(), &startup, &info));
        g_ours.push_back(info.dwProcessId);
    }
    ~Brdl()
    {
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    bool Running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

    // Its visible window titled title that holds control id; nullptr when it ends first.
    HWND Window(const std::string& title, int id)
    {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
                if (ProcessOf(window) == info.dwProcessId && IsWindowVisible(window) && Title(window) == title &&
                    GetDlgItem(window, id))
                    found = window;
            return found || !Running();
        });
        return found;
    }

    // Ends by itself with exit code 0; quietly: showing no window.
    bool Ends(bool quietly = false)
    {
        bool shown = false;
        WaitUntil([&] {
            for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
                shown |= ProcessOf(window) == info.dwProcessId && IsWindowVisible(window);
            return !Running();
        });
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code == 0 && !(quietly && shown);
    }

    PROCESS_INFORMATION info = {};
};

} // namespace

TEST_CASE("a first start installs and opens; a second start, even with /u, raises it; a copy installs over itself")
{
    char programFiles[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
    const std::string installed = std::string(programFiles) + "\\BRDL\\brdl.EXE";
    for (const std::string& exe : {ProgramPath(), installed}) {
        CAPTURE(exe);
        Brdl run(exe);
        HWND dialog = run.Window("Install Brindle", 1059);
        REQUIRE(dialog);
        CHECK(ControlText(dialog, 1059) == std::string(programFiles) + "\\BRDL");
        Press(dialog, IDOK);
        HWND main = run.Window("Brindle", 1051);
        REQUIRE(main);   // not message 121, also when the copy would go onto itself
        CHECK(ReadBytes(installed) == ReadBytes(ProgramPath()));
        ShowWindow(main, SW_MINIMIZE);
        REQUIRE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
        CHECK(Brdl(installed, " /u").Ends(true));
        CHECK(WaitUntil([&] { return !IsIconic(main); }));
        CHECK(KeyExists(HKEY_CURRENT_USER, SettingsKey));
        Press(main, IDCANCEL);
        CHECK(run.Ends());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Talvane");   // a user who never started it
    }
}

TEST_CASE("/u removes the keys, then a hidden script removes the program, its folder and itself")
{
    // A script that does not double % would name the decoy instead.
    const std::string folder = "C:\\100% Tools", exe = folder + "\\brdl.EXE", decoy = "C:\\100 Tools";
    CreateDirectoryA(folder.c_str(), nullptr);
    REQUIRE(CopyFileA(ProgramPath().c_str(), exe.c_str(), FALSE));
    CreateDirectoryA(decoy.c_str(), nullptr);
    WriteBytes(decoy + "\\brdl.EXE", "decoy");
    WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 2);
    // A temporary folder with a blank, as a user name with a space gives.
    const std::string temp = "C:\\Temp Folder";
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());

    Brdl run(exe, " /u");
    HWND question = run.Window("Brindle", 0xFFFF);
    REQUIRE(question);
    CHECK(ControlText(question, 0xFFFF) == "Delete BRDL files and all program settings saved to registry?");
    Press(question, IDYES);
    CHECK(run.Ends());
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"));
    CHECK(WaitUntil([&] { return !Exists(exe) && !Exists(folder) && !Exists(temp + "\\__UNINST.BAT"); }));
    CHECK(ReadBytes(decoy + "\\brdl.EXE") == "decoy");
    CHECK(g_foreign.empty());   // the script ran hidden
}
