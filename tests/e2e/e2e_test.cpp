// End to end: the built brdl.exe started as a user starts it, in a Wine prefix of
// its own (fresh-prefix.sh), its windows worked with messages from outside.
#include "support/common.h"

#include <shlobj.h>
#include <filesystem>
#include <functional>

#include "setup/elevation.h"

namespace {

std::string Text(HWND window)
{
    char text[512] = "";   // sent, not GetWindowText: the window is another process's
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Polls until done() holds, 30 s unless told, times BRDL_TIME_SCALE (set for emulated runs).
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 30000)
{
    milliseconds *= std::max(1, std::atoi(getenv("BRDL_TIME_SCALE") ? getenv("BRDL_TIME_SCALE") : "1"));
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20))
        if (done())
            return true;
    return false;
}

void Press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(window, id)));
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

// Copies a file (paths in UTF-8) into a folder made for it as needed.
bool CopyTo(const std::string& from, const std::string& to)
{
    CreateDirectoryW(Wide(FolderOf(to)).c_str(), nullptr);
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE);
}

// One brdl.exe (its path in UTF-8), started from its own folder with no console, as the shell starts it.
struct Brdl {
    explicit Brdl(const std::string& exe, const std::string& arguments = "")
    {
        std::wstring line = Wide("\"" + exe + "\"" + arguments);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        REQUIRE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                               Wide(FolderOf(exe)).c_str(), &startup, &info));
    }
    ~Brdl() { TerminateProcess(info.hProcess, 1); CloseHandle(info.hThread); CloseHandle(info.hProcess); }

    // Its visible window titled title that holds control id; nullptr when the process ends first.
    HWND Window(const std::string& title, int id)
    {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, nullptr, title.c_str()));) {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == info.dwProcessId && IsWindowVisible(window) && GetDlgItem(window, id))
                    found = window;
            }
            return found || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
        });
        return found;
    }

    // Its exit code once it ends by itself; STILL_ACTIVE when it does not.
    DWORD Exit()
    {
        WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; });
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }

    PROCESS_INFORMATION info = {};
};

// Another program's dialog of the same title, with a control of the id of Brindle's Options button, open
// throughout: no running instance of Brindle.
const HWND g_lookAlike = [] {
    HWND dialog = CreateWindowExA(0, "#32770", "Brindle", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr,
                                  nullptr, nullptr);
    CreateWindowExA(0, "BUTTON", "&Options...", WS_CHILD, 0, 0, 9, 9, dialog, HMENU(IDC_OPTIONS), nullptr, nullptr);
    return dialog;
}();

// The message box that run shows next, closed with Yes to the question and OK to the rest: 123 for the question,
// 125 for "cannot be removed", else its text; "" when the process ends first.
std::string Answer(Brdl& run)
{
    HWND box = run.Window("Brindle", 0xFFFF);
    const std::string text = box ? Text(GetDlgItem(box, 0xFFFF)) : "";
    const bool ask = text == "Delete BRDL files and all program settings saved to registry?";
    Press(box, ask ? IDYES : IDOK);
    WaitUntil([&] { return !IsWindow(box); });
    return ask ? "123" : text == "BRDL cannot be removed from this folder." ? "125" : text;
}

} // namespace

TEST_CASE("a first start from a download folder installs where offered, opens, and loads no DLL from beside it")
{
    REQUIRE(g_lookAlike);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Talvane");   // what an interrupted `make run` may have left
    // Windows looks for comctl32 beside the executable first; Wine does when told to.
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\brdl.exe\\DllOverrides", "comctl32", REG_SZ,
                    "native,builtin", sizeof "native,builtin");
    char programs[MAX_PATH] = "";   // for the current user: Wine says this account owns Program Files
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, programs);
    const std::string installed = std::string(programs) + "\\Programs\\BRDL\\brdl.EXE";
    const std::string downloaded = "C:\\Downloads\\brdl.exe";
    REQUIRE(CopyTo(BRDL_EXE, downloaded));
    for (const std::string& exe : {downloaded, installed}) {
        CAPTURE(exe);
        CopyTo(PLANTED, FolderOf(exe) + "\\comctl32.dll");
        Brdl run(exe);
        HWND dialog = run.Window("Install Brindle", IDC_FOLDER);
        REQUIRE(dialog);
        PostMessageA(GetDlgItem(dialog, IDC_CURRENT_USER), BM_CLICK, 0, 0);
        Press(dialog, IDOK);   // into the folder it offers
        HWND main = run.Window("Brindle", IDC_OPTIONS);
        REQUIRE(main);   // not message 121, also when the copy would go onto itself
        ShowWindow(main, SW_MINIMIZE);
        REQUIRE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
        CHECK(Brdl(installed, " /u").Exit() == 0);   // a question would keep it waiting
        CHECK(WaitUntil([&] { return !IsIconic(main); }));
        Press(main, IDCANCEL);
        CHECK(run.Exit() == 0);
        // As for a user who never installed: no InstFlag.
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL", "InstFlag");
    }
    CHECK_FALSE(Exists("C:\\planted-dll-loaded"));
}

// The removal copy's switch as Brindle writes it for the consent prompt.
std::string RemovalPart()
{
    char parameters[AllUsersPartSize] = "";
    WriteAllUsersPart(nullptr, parameters);
    return std::string(" ") + parameters;
}

// Whether an uninstall script is left in its own folder under the Windows folder's Temp; with clear, those folders
// go first (one left by an earlier run would hold every row for its 90 s).
bool ScriptLeft(bool clear = false)
{
    for (const auto& entry : std::filesystem::directory_iterator("C:\\windows\\Temp"))
        if (entry.path().filename().string().starts_with("BRDL") && (clear ? remove_all(entry.path()) == 0
                                                                           : exists(entry.path() / "__UNINST.BAT")))
            return true;
    return false;
}

TEST_CASE("a removal takes exactly the registered program, its folder and its keys, whatever their names, or nothing")
{
    const char* entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BRDL";
    RegDeleteTreeA(HKEY_CURRENT_USER, entry);   // the first start's
    REQUIRE_FALSE(ScriptLeft(true));
    // folder: where it is installed, for the current user or all users; runFrom: the folder
    // of the copy started with argument; held: the installed file held open without delete sharing.
    const struct {
        const char* folder; bool allUsers; const char* runFrom; std::string argument; bool held; std::string outcome;
    } cases[] = {
        {"C:\\100% Tools &^()! Zo\u00eb", false, nullptr, " -x /uq", false, "123; file gone; folder gone; entry gone"},
        {"C:\\Program Files\\S\u00e3o Tools", true, nullptr, " /U", false,
         "123; file gone; folder gone; entry gone"},   // no OEM ã: by its short name
        {"C:\\Kept", false, nullptr, " /u", true, "123; file kept; folder kept; entry gone"},
        {"C:\\Real", true, "C:\\Other", RemovalPart(), false, "125; exit 0x4252; file kept; folder kept; entry kept"},
        // Full-width quotation marks: the 8-bit look-alikes in the entry would run a command.
        {"C:\\x\uff02&mkdir PWNED&\uff02y", false, nullptr, " /u", false, "125; file kept; folder kept; entry kept"},
    };
    for (const auto& c : cases) {
        const std::string exe = std::string(c.folder) + "\\brdl.EXE";
        const HKEY root = c.allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        CAPTURE(exe);
        // Registered as an installation registers it: Wine says this account owns every folder, which an
        // installation for all users refuses.
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL", "InstFlag", c.allUsers ? 1 : 2);
        REQUIRE(CopyTo(BRDL_EXE, exe));
        const std::wstring command = L"\"" + Wide(exe) + L"\" /u";
        RegSetKeyValueW(root, Wide(entry).c_str(), L"UninstallString", REG_SZ, command.c_str(), 2 * command.size() + 2);
        if (c.runFrom)
            CopyTo(BRDL_EXE, std::string(c.runFrom) + "\\brdl.exe");
        HANDLE held = c.held ? CreateFileW(Wide(exe).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           0, nullptr)
                             : nullptr;
        Brdl run(c.runFrom ? std::string(c.runFrom) + "\\brdl.exe" : exe, c.argument);
        std::string outcome;
        for (std::string text; !(text = Answer(run)).empty();)
            outcome += (outcome.empty() ? "" : " ") + text;
        char code[32] = "";   // a copy that failed and told the user ends with 0x4252
        if (const DWORD exit = run.Exit())
            wsprintfA(code, "; exit 0x%lX", exit);
        outcome = (outcome.empty() ? "quiet" : outcome) + code;
        // The script ends by deleting itself: within a minute and a half, also when it gave up.
        CHECK(WaitUntil([&] { return !ScriptLeft(); }, 90000));
        CloseHandle(held);
        outcome += Exists(exe) ? "; file kept" : "; file gone";
        outcome += Exists(c.folder) ? "; folder kept" : "; folder gone";
        outcome += KeyExists(root, entry) ? "; entry kept" : "; entry gone";
        CHECK(outcome == c.outcome);
        RegDeleteTreeA(root, entry);
    }
    CHECK_FALSE(Exists("C:\\windows\\system32\\PWNED"));   // where the script runs
}
