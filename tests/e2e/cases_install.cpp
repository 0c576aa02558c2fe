// First start: the install dialog, the copy, the registry entries, and the main
// window that follows in the same process.
#include "e2e/driver.h"

namespace e2e {

void FirstStartDialogBlanksAndCancel()
{
    {
        BrdlProcess run(Quote(BuildExePath()));
        const HWND dialog = run.WaitFor(WindowKind::InstallDialog);
        CHECK_EQ(ControlText(dialog, kFolderEdit), DefaultInstallFolder(), "default folder");
        CHECK(IsChecked(dialog, kAllUsers) && !IsChecked(dialog, kCurrentUser), "\"All users\" is the one checked");
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
        CHECK(thread.hwndFocus == GetDlgItem(dialog, kFolderEdit), "the folder edit has the focus");

        SetControlText(dialog, kFolderEdit, " \t  ");
        PostCommand(dialog, IDOK);
        const HWND box = AnswerMessage(run, kText124, dialog, "OK", IDOK);
        CHECK(WaitUntil(kTimeout, [&] { return !IsWindow(box); }), "the message closes");
        CHECK(run.Running() && IsWindowVisible(dialog), "the install dialog stays open");
        CHECK_EQ(DumpOwnedKeys(), "", "registry after the blank folder");

        Click(dialog, kCurrentUser);  // a choice made, then dropped by Cancel
        PostCommand(dialog, IDCANCEL);
        run.RequireCleanExit("after Cancel");
    }
    {
        BrdlProcess run(Quote(BuildExePath()));
        PostMessageA(run.WaitFor(WindowKind::InstallDialog), WM_SYSCOMMAND, SC_CLOSE, 0);
        run.RequireCleanExit("after the close box");
        CHECK_EQ(run.Shown(), "install dialog \"Install Brindle\"", "windows shown up to the close box");
    }
    CHECK_EQ(DumpOwnedKeys(), "", "registry after Cancel and the close box");
    CHECK(!Exists(DefaultInstallFolder()), "no install folder is created");
}

void CurrentUserInstall()
{
    const std::string folder = std::string(kToolsFolder) + "\\New";
    InstallThroughDialog(BuildExePath(), Scope::CurrentUser, "  " + folder + "  ");
    // Later starts, of the installed copy and of the first one, find InstFlag.
    CheckStartsStraightToMainWindow(folder + "\\brdl.EXE");
    CheckStartsStraightToMainWindow(BuildExePath());
    CheckInstalledEntries(folder, Scope::CurrentUser);
}

void AllUsersInstallAndRemoval()
{
    InstallThroughDialog(BuildExePath(), Scope::AllUsers);
    // Removed through the command recorded under HKEY_LOCAL_MACHINE: the keys go under that root.
    RunUninstallAnswering(Scope::AllUsers, IDYES);
    CheckRemovedCompletely(DefaultInstallFolder());
}

void FolderNamingAFileIsRefused()
{
    const std::string occupied = std::string(kScratchFolder) + "\\occupied";
    CreateFolder(kScratchFolder);
    WriteFileBytes(occupied, "not a folder");

    BrdlProcess run(Quote(BuildExePath()));
    FillInstallDialog(run.WaitFor(WindowKind::InstallDialog), occupied, Scope::CurrentUser);
    AnswerMessage(run, kText121, nullptr, "OK", IDOK);
    run.RequireCleanExit("after message 121");
    CHECK(run.Shown().find("main window") == std::string::npos, "no main window after a failed install");
    CHECK_EQ(DumpOwnedKeys(), "", "registry");
    CHECK_EQ(ReadFileBytes(occupied), "not a folder", "the file in the way");
}

void InstalledCopyInstallsOverItself()
{
    // An all-users installation; then a second user (no settings of their own)
    // starts the installed copy, as the toolbar button does, and takes the
    // offered folder, or types it in its short form: the same file either way.
    const std::string folder = DefaultInstallFolder();
    InstallThroughDialog(BuildExePath(), Scope::AllUsers);
    char shortFolder[MAX_PATH] = "";
    GetShortPathNameA(folder.c_str(), shortFolder, sizeof shortFolder);
    REQUIRE(*shortFolder && folder != shortFolder, "a short spelling of " + folder);
    for (const std::string& spelling : {std::string(), std::string(shortFolder)}) {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTalvaneKey);
        InstallThroughDialog(folder + "\\brdl.EXE", Scope::AllUsers, spelling);
    }
}

} // namespace e2e
