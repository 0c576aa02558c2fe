// End-to-end driver: starts the built brdl.exe in this Wine prefix as a user would, works its
// windows with messages, and checks files and registry. The prefix is shared with the program,
// so the keys and folders it owns are saved first, cleared around every case, and restored at the end.
#include <cstdio>
#include <cstring>

#include "e2e/driver.h"

namespace e2e {

// The cases, from cases_startup.cpp, cases_install.cpp and cases_uninstall.cpp.
void SecondStartRaisesRunningInstance(), UninstallWhileRunningOnlyRaises();
void FirstStartDialogBlanksAndCancel(), CurrentUserInstall(), AllUsersInstallAndRemoval(),
    FolderNamingAFileIsRefused(), InstalledCopyInstallsOverItself();
void UninstallAnsweredNo(), UninstallAnsweredYes(), UninstallKeepsWhatIsNotItsOwn(), UninstallWithoutInstallFlag(),
    PercentInFolderName();

static std::vector<std::string> g_failures;  // of the running case

bool Check(bool ok, const char* file, int line, const std::string& what)
{
    const char* name = std::strrchr(file, '/');
    if (!ok)
        g_failures.push_back(std::string(name ? name + 1 : file) + ":" + std::to_string(line) + ": " + what);
    return ok;
}

bool CheckEqual(const std::string& actual, const std::string& expected, const char* file, int line,
                const std::string& what)
{
    return Check(actual == expected, file, line, what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ", ") + item;
    return out.empty() ? "(none)" : out;
}

} // namespace e2e

namespace {

using namespace e2e;

const struct {
    const char* name;
    void (*run)();
} kCases[] = {
    {"start-up: a second start raises a minimised \"Brindle\" window and exits 0", SecondStartRaisesRunningInstance},
    {"start-up: \"/u\" while Brindle runs only raises it", UninstallWhileRunningOnlyRaises},
    {"install: first start's defaults; blanks give 124 and the dialog stays; Cancel and the close box write nothing",
     FirstStartDialogBlanksAndCancel},
    {"install: \"  C:\\Tools\\New  \" for the current user; later starts go straight to the main window",
     CurrentUserInstall},
    {"install: all users with the defaults, under HKLM; removed again by its recorded command",
     AllUsersInstallAndRemoval},
    {"install: a folder that names an existing file gives 121 and writes nothing", FolderNamingAFileIsRefused},
    {"install: the installed copy, started without InstFlag, installs over itself and opens",
     InstalledCopyInstallsOverItself},
    {"uninstall: question 123 answered No changes nothing", UninstallAnsweredNo},
    {"uninstall: Yes removes the keys, then the file, its folder and the script", UninstallAnsweredYes},
    {"uninstall: another Talvane key and the user's files in the folder stay", UninstallKeepsWhatIsNotItsOwn},
    {"uninstall: no InstFlag, or 0, asks nothing and changes nothing", UninstallWithoutInstallFlag},
    {"uninstall: a folder with % in its name is removed completely, by a script in a temporary folder with a blank",
     PercentInFolderName},
};

constexpr char kSavedSuffix[] = ".e2e-saved";

} // namespace

// Optional argument: run only the cases whose name contains it.
int main(int argc, char** argv)
{
    std::printf("driving %s\n", BuildExePath().c_str());
    std::vector<RegTree> saved;
    for (const auto& [root, path] : kOwnedKeys)
        saved.push_back(RegTree::Read(root, path));
    // An installation already in the prefix (make run leaves one) is moved aside
    // and put back afterwards; one saved by an interrupted run is kept as it is.
    const std::string folders[] = {kScratchFolder, kToolsFolder, kPercentFolder, kPercentDecoyFolder,
                                   DefaultInstallFolder()};
    for (const std::string& folder : folders)
        if (Exists(folder) && !Exists(folder + kSavedSuffix))
            MoveFileA(folder.c_str(), (folder + kSavedSuffix).c_str());
    char temp[MAX_PATH] = "";
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    const auto clearState = [&] {
        DeleteOwnedKeys();
        for (const std::string& folder : folders)
            RemoveTree(folder);
        DeleteFileA(UninstallScriptPath().c_str());
    };

    int count = 0, failed = 0;
    for (const auto& c : kCases) {
        if (argc > 1 && !std::strstr(c.name, argv[1]))
            continue;
        g_failures.clear();
        const DWORD start = GetTickCount();
        clearState();
        g_foreignWindows.clear();
        try {
            c.run();
        } catch (const CaseAborted&) {
            // Already recorded; the clean-up below still runs.
        }
        // A script still deleting must finish before the next case reuses its paths.
        CHECK(WaitUntil(kTimeout, [] { return !Exists(UninstallScriptPath()); }), "no uninstall script is left behind");
        CHECK_EQ(Join(g_foreignWindows), "(none)", "windows shown by other processes (the script runs hidden)");
        SetEnvironmentVariableA("TMP", temp);
        SetEnvironmentVariableA("TEMP", temp);
        clearState();

        const double seconds = (GetTickCount() - start) / 1000.0;
        std::printf("%-4s %s (%.1f s)\n", g_failures.empty() ? "ok" : "FAIL", c.name, seconds);
        for (const std::string& failure : g_failures)
            std::printf("     - %s\n", failure.c_str());
        std::fflush(stdout);
        ++count;
        failed += !g_failures.empty();
    }
    std::printf("%d of %d end-to-end cases passed\n", count - failed, count);

    for (size_t i = 0; i < saved.size(); ++i)
        saved[i].Write(kOwnedKeys[i].first, kOwnedKeys[i].second);
    for (const std::string& folder : folders)
        if (Exists(folder + kSavedSuffix))
            MoveFileA((folder + kSavedSuffix).c_str(), folder.c_str());
    return failed ? 1 : 0;
}
