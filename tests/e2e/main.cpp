// End-to-end driver: starts the built brdl.exe in this Wine prefix as a user
// would, works its windows with messages, and checks files and registry.
// The prefix's registry and drive are shared with the program, so the keys and
// folders it owns are saved first, cleared around every case, and restored at
// the end.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "e2e/cases.h"
#include "e2e/harness.h"
#include "e2e/product.h"
#include "e2e/system_state.h"

namespace {

using namespace e2e;

constexpr char kSavedSuffix[] = ".e2e-saved";

std::vector<std::string> OwnedFolders()
{
    return {kScratchFolder, kToolsFolder, kPercentFolder, kPercentDecoyFolder, ProgramFilesFolder() + "\\BRDL"};
}

std::unique_ptr<ForeignWindowWatch> g_watch;

void ClearState()
{
    DeleteOwnedKeys();
    for (const std::string& folder : OwnedFolders())
        RemoveTree(folder);
    DeleteFileA(UninstallScriptPath().c_str());
}

void SetUp()
{
    ClearState();
    g_watch.reset(new ForeignWindowWatch);
}

void TearDown()
{
    // A script still deleting must finish before the next case reuses its paths.
    CHECK_MSG(WaitUntil(kScriptTimeout, [] { return !PathExists(UninstallScriptPath()); }),
              "no uninstall script is left behind");
    CHECK_EQ(Join(g_watch->Shown()), "(none)", "windows shown by other processes (the uninstall script runs hidden)");
    g_watch.reset();
    ClearState();
}

const Case kCases[] = {
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

} // namespace

// Optional argument: run only the cases whose name contains it.
int main(int argc, char** argv)
{
    std::printf("driving %s\n", BuildExePath().c_str());
    std::fflush(stdout);
    std::vector<RegTree> saved;
    for (const OwnedKey& key : kOwnedKeys)
        saved.push_back(RegTree::Read(key.root, key.path));
    // An installation already in the prefix (make run leaves one) is moved aside
    // and put back afterwards; one saved by an interrupted run is kept as it is.
    for (const std::string& folder : OwnedFolders())
        if (PathExists(folder) && !PathExists(folder + kSavedSuffix))
            MoveFileA(folder.c_str(), (folder + kSavedSuffix).c_str());

    std::vector<Case> chosen;
    for (const Case& c : kCases)
        if (argc < 2 || std::string(c.name).find(argv[1]) != std::string::npos)
            chosen.push_back(c);
    const int failed = RunCases(chosen.data(), chosen.size(), SetUp, TearDown);

    for (size_t i = 0; i < saved.size(); ++i)
        saved[i].Write(kOwnedKeys[i].root, kOwnedKeys[i].path);
    for (const std::string& folder : OwnedFolders())
        if (PathExists(folder + kSavedSuffix))
            MoveFileA((folder + kSavedSuffix).c_str(), folder.c_str());
    return failed ? 1 : 0;
}
