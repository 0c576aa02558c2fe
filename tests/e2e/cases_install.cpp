// First start: the install dialog, the copy, the registry entries, and the main
// window that follows in the same process.
#include <string>
#include <vector>

#include "e2e/cases.h"
#include "e2e/harness.h"
#include "e2e/product.h"
#include "e2e/system_state.h"

namespace e2e {

namespace {

// Exactly one main window exists, and it belongs to run.
void CheckOnlyMainWindowIsFrom(const BrdlProcess& run)
{
    int mainWindows = 0;
    for (HWND window : DialogWindows(0))
        if (KindOf(window) == WindowKind::MainWindow) {
            ++mainWindows;
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            CHECK_MSG(owner == run.Id(), "the main window belongs to the started brdl.exe");
        }
    CHECK_EQ(static_cast<DWORD>(mainWindows), 1, "main windows open");
}

} // namespace

void FirstStartDialogBlanksAndCancel()
{
    const std::string clean = DumpOwnedKeys();
    const std::string defaultFolder = ProgramFilesFolder() + "\\BRDL";
    {
        BrdlProcess run = BrdlProcess::Start(BuildExePath());
        const HWND dialog = run.WaitForWindow(WindowKind::InstallDialog);
        CHECK_EQ(ControlText(dialog, kFolderEdit), defaultFolder, "default folder");
        CHECK_MSG(IsChecked(dialog, kAllUsers), "\"All users\" is checked");
        CHECK_MSG(!IsChecked(dialog, kCurrentUser), "\"Current user\" is not checked");
        CHECK_MSG(FocusOf(dialog) == GetDlgItem(dialog, kFolderEdit), "the folder edit has the focus");

        SetControlText(dialog, kFolderEdit, " \t  ");
        PostCommand(dialog, IDOK);
        const HWND box = run.WaitForWindow(WindowKind::MessageBox);
        const MessageBoxView message = ReadMessageBox(box);
        CHECK_EQ(message.text, kText124, "message for a blank folder");
        CHECK_MSG(message.owner == dialog, "the message belongs to the install dialog");
        CHECK_MSG(message.okOnly, "the message has an OK button only");
        PostCommand(box, IDOK);
        CHECK_MSG(WaitUntil(kWindowTimeout, [&] { return !IsWindow(box); }), "the message closes");
        CHECK_MSG(run.Running() && IsWindowVisible(dialog), "the install dialog stays open");
        CHECK_EQ(DumpOwnedKeys(), clean, "registry after the blank folder");

        Click(dialog, kCurrentUser);  // a choice made, then dropped by Cancel
        PostCommand(dialog, IDCANCEL);
        run.RequireCleanExit("after Cancel");
    }
    {
        BrdlProcess run = BrdlProcess::Start(BuildExePath());
        const HWND dialog = run.WaitForWindow(WindowKind::InstallDialog);
        const std::string shown = Describe(dialog);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        run.RequireCleanExit("after the close box");
        CHECK_EQ(Join(run.SeenWindows()), shown, "windows shown up to the close box");
    }
    CHECK_EQ(DumpOwnedKeys(), clean, "registry after Cancel and the close box");
    CHECK_MSG(!PathExists(defaultFolder), "no install folder is created");
}

void CurrentUserInstall()
{
    const std::string folder = std::string(kToolsFolder) + "\\New";
    const std::string installed = folder + "\\brdl.EXE";
    REQUIRE_MSG(!PathExists(kToolsFolder), std::string(kToolsFolder) + " does not exist before the install");
    {
        BrdlProcess run = BrdlProcess::Start(BuildExePath());
        SubmitInstallDialog(run.WaitForWindow(WindowKind::InstallDialog), "  " + folder + "  ", Scope::CurrentUser);
        const HWND mainWindow = run.WaitForWindow(WindowKind::MainWindow);
        CheckOnlyMainWindowIsFrom(run);

        CHECK_MSG(FolderExists(kToolsFolder) && FolderExists(folder), "both folders are created");
        CHECK_EQ(Join(FolderEntries(folder)), "brdl.EXE", "files in the install folder");
        const std::string original = ReadFileBytes(BuildExePath());
        REQUIRE_MSG(!original.empty(), "read " + BuildExePath());
        CHECK_MSG(ReadFileBytes(installed) == original, "the installed file is the started one, byte for byte");
        CheckInstalledEntries(folder + "\\", Scope::CurrentUser);
        CloseMainWindow(run, mainWindow);
    }
    // Later starts, of the installed copy and of the first one, find InstFlag.
    CheckStartsStraightToMainWindow(installed);
    CheckStartsStraightToMainWindow(BuildExePath());
    CheckInstalledEntries(folder + "\\", Scope::CurrentUser);
}

void AllUsersInstallAndRemoval()
{
    const std::string clean = DumpOwnedKeys();
    const std::string folder = ProgramFilesFolder() + "\\BRDL";
    const std::string installed = folder + "\\brdl.EXE";
    {
        BrdlProcess run = BrdlProcess::Start(BuildExePath());
        const HWND dialog = run.WaitForWindow(WindowKind::InstallDialog);
        PostCommand(dialog, IDOK);  // the defaults: program-files folder, all users
        const HWND mainWindow = run.WaitForWindow(WindowKind::MainWindow);
        CheckOnlyMainWindowIsFrom(run);
        CHECK_MSG(ReadFileBytes(installed) == ReadFileBytes(BuildExePath()), "the installed file is a copy");
        CheckInstalledEntries(folder + "\\", Scope::AllUsers);
        CloseMainWindow(run, mainWindow);
    }
    // Removed through the command recorded under HKEY_LOCAL_MACHINE: the keys go
    // under that root.
    RunUninstallAnswering(Scope::AllUsers, IDYES);
    CHECK_EQ(DumpOwnedKeys(), clean, "registry after Yes");
    CHECK_EQ(Join(WaitForRemoval({installed, folder, UninstallScriptPath()})), "(none)",
             "left behind by the uninstall script");
}

void FolderNamingAFileIsRefused()
{
    const std::string clean = DumpOwnedKeys();
    const std::string occupied = std::string(kScratchFolder) + "\\occupied";
    CreateFolder(kScratchFolder);
    WriteFileBytes(occupied, "not a folder");

    BrdlProcess run = BrdlProcess::Start(BuildExePath());
    SubmitInstallDialog(run.WaitForWindow(WindowKind::InstallDialog), occupied, Scope::CurrentUser);
    const HWND box = run.WaitForWindow(WindowKind::MessageBox);
    const MessageBoxView message = ReadMessageBox(box);
    CHECK_EQ(message.text, kText121, "message for a failed copy");
    CHECK_MSG(message.owner == nullptr, "the message has no owner");
    CHECK_MSG(message.okOnly, "the message has an OK button only");
    PostCommand(box, IDOK);
    run.RequireCleanExit("after message 121");
    CHECK_MSG(!run.Showed(WindowKind::MainWindow), "no main window after a failed install");
    CHECK_EQ(DumpOwnedKeys(), clean, "registry");
    CHECK_EQ(ReadFileBytes(occupied), "not a folder", "the file in the way");
}

void InstalledCopyInstallsOverItself()
{
    // An all-users installation, then a second user (no settings of their own)
    // starts the installed copy, as the toolbar button does.
    const std::string folder = ProgramFilesFolder() + "\\BRDL";
    const std::string installed = folder + "\\brdl.EXE";
    const std::string original = ReadFileBytes(BuildExePath());
    InstallThroughDialog(BuildExePath(), folder, Scope::AllUsers);

    // The same folder typed in its short form must count as the same file too.
    std::vector<std::string> spellings{folder};
    char shortFolder[MAX_PATH] = "";
    if (GetShortPathNameA(folder.c_str(), shortFolder, sizeof shortFolder) && folder != shortFolder)
        spellings.push_back(shortFolder);
    else
        Note("no short spelling of " + folder + " to try");
    for (const std::string& spelling : spellings) {
        DeleteKey(HKEY_CURRENT_USER, kTalvaneKey);
        BrdlProcess run = BrdlProcess::Start(installed);
        const HWND dialog = run.WaitForWindow(WindowKind::InstallDialog);
        if (spelling == folder)
            CHECK_EQ(ControlText(dialog, kFolderEdit), folder, "the dialog offers the install folder");
        SubmitInstallDialog(dialog, spelling, Scope::AllUsers);
        const HWND mainWindow = run.WaitForWindow(WindowKind::MainWindow);
        CheckOnlyMainWindowIsFrom(run);
        CHECK_MSG(ReadFileBytes(installed) == original, "the installed file is intact (folder typed " + spelling + ")");
        CheckInstalledEntries(spelling + "\\", Scope::AllUsers);
        CloseMainWindow(run, mainWindow);
    }
}

} // namespace e2e
