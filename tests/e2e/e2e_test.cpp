// End to end: the built brdl.exe started as a user starts it, in a Wine prefix of
// its own (fresh-prefix.sh), its windows worked with messages from outside.
#include <doctest/doctest.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>

#include "support/sandbox.h"

namespace {

std::string Text(HWND window)
{
    char text[512] = "";   // sent, not GetWindowText: the window is another process's
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Polls until done() holds, 30 s unless told.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 30000)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20))
        if (done())
            return true;
    return false;
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
    }
    ~Brdl()
    {
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }

    // Its visible window titled title that holds control id; nullptr when the process ends first.
    HWND Window(const std::string& title, int id)
    {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == info.dwProcessId && IsWindowVisible(window) && GetDlgItem(window, id) &&
                    Text(window) == title)
                    found = window;
            }
            return found || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
        });
        return found;
    }

    // Ends by itself with exit code 0.
    bool Ends()
    {
        WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; });
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code == 0;
    }

    PROCESS_INFORMATION info = {};
};

// Under Wine, Z: is the Unix root.
const std::string g_built = [] {
    std::string path = std::string("Z:") + BRDL_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}();

} // namespace

TEST_CASE("a first start installs where offered, for all users, and opens; /u while open only raises it; the copy "
          "installs over itself for a user without InstFlag")
{
    char programFiles[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
    const std::string folder = std::string(programFiles) + "\\BRDL", installed = folder + "\\brdl.EXE";
    for (const std::string& exe : {g_built, installed}) {
        CAPTURE(exe);
        Brdl run(exe);
        HWND dialog = run.Window("Install Brindle", 1059);
        REQUIRE(dialog);
        HWND edit = GetDlgItem(dialog, 1059);
        CHECK(Text(edit) == folder);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((" \t" + folder + "  ").c_str()));   // trimmed
        Press(dialog, IDOK);
        HWND main = run.Window("Brindle", 1051);
        REQUIRE(main);   // not message 121, also when the copy would go onto itself
        CHECK(DwordValue(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL", "InstFlag") == 1);
        ShowWindow(main, SW_MINIMIZE);
        REQUIRE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
        CHECK(Brdl(installed, " /u").Ends());   // a question would keep it waiting
        CHECK(WaitUntil([&] { return !IsIconic(main); }));
        Press(main, IDCANCEL);
        CHECK(run.Ends());
        // As for a user who never installed: no InstFlag.
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL", "InstFlag");
    }
}

TEST_CASE("/u removes the keys, then a script the program and its folder, or gives up on a read-only one")
{
    // A script that does not double % would name the decoy instead.
    const std::string decoy = "C:\\100 Tools", temp = "C:\\Temp Folder";   // a blank, as a user name may give
    CreateDirectoryA(decoy.c_str(), nullptr);
    CopyFileA(g_built.c_str(), (decoy + "\\brdl.EXE").c_str(), FALSE);
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    for (bool readOnly : {false, true}) {
        CAPTURE(readOnly);
        const std::string folder = readOnly ? "C:\\Kept" : "C:\\100% Tools", exe = folder + "\\brdl.EXE";
        CreateDirectoryA(folder.c_str(), nullptr);
        REQUIRE(CopyFileA(g_built.c_str(), exe.c_str(), FALSE));
        SetFileAttributesA(exe.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL", "InstFlag", 2);
        Brdl run(exe, readOnly ? " /U" : " /u");   // either case asks to uninstall
        HWND question = run.Window("Brindle", 0xFFFF);
        REQUIRE(question);
        Press(question, IDYES);
        CHECK(run.Ends());
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"));
        // The script ends by deleting itself: within a minute and a half, also when it gave up.
        CHECK(WaitUntil([&] { return !Exists(temp + "\\__UNINST.BAT"); }, 90000));
        CHECK((Exists(exe) == readOnly && Exists(folder) == readOnly));
    }
    CHECK(Exists(decoy + "\\brdl.EXE"));
}
