// "/u": the question, the registry removal, and the hidden script that deletes
// the program file and its folder once the program has ended.
#include "e2e/driver.h"

namespace e2e {

void UninstallAnsweredNo()
{
    const std::string folder = std::string(kScratchFolder) + "\\Installed";
    InstallThroughDialog(BuildExePath(), Scope::CurrentUser, folder);
    const std::string installed = DumpOwnedKeys();

    RunUninstallAnswering(Scope::CurrentUser, IDNO);
    CHECK_EQ(DumpOwnedKeys(), installed, "registry after No");
    CHECK_EQ(Join(FolderEntries(folder)), "brdl.EXE", "files in the install folder after No");
    CHECK(!Exists(UninstallScriptPath()), "no uninstall script is written");
}

void UninstallAnsweredYes()
{
    const std::string folder = std::string(kScratchFolder) + "\\Installed";
    InstallThroughDialog(BuildExePath(), Scope::CurrentUser, folder);
    RunUninstallAnswering(Scope::CurrentUser, IDYES);
    // The keys go before the program ends; Software\Talvane held nothing else.
    CheckRemovedCompletely(folder);
    CHECK(Exists(kScratchFolder), "the folder above the install folder stays");
}

void UninstallKeepsWhatIsNotItsOwn()
{
    const std::string folder = std::string(kScratchFolder) + "\\Shared";
    InstallThroughDialog(BuildExePath(), Scope::CurrentUser, folder);
    WriteFileBytes(folder + "\\notes.txt", "the user's own file");
    SetValue(HKEY_CURRENT_USER, "Software\\Talvane\\Other", Sz("Kept", "yes"));

    RunUninstallAnswering(Scope::CurrentUser, IDYES);
    const RegTree talvane{true, {}, {{"Other", RegTree{true, {Sz("Kept", "yes")}, {}}}}};
    CHECK_EQ(DumpOwnedKeys(), "HKCU\\Software\\Talvane\n" + talvane.Dump(), "registry after Yes: the other key only");
    CHECK_EQ(LeftBehind({folder + "\\brdl.EXE", UninstallScriptPath()}), "(none)", "left by the uninstall script");
    CHECK_EQ(Join(FolderEntries(folder)), "notes.txt", "files left in the install folder");
}

void UninstallWithoutInstallFlag()
{
    // A copy outside any install folder, so a wrong removal could not touch the build.
    const std::string copy = CopyProgram(std::string(kScratchFolder) + "\\Copy");
    struct State {
        const char* name;
        HKEY entries;  // where the toolbar button and uninstall entries are, if anywhere
        bool installFlagZero;
    };
    const State states[] = {
        {"nothing recorded", nullptr, false},
        {"an all-users installation this user never started", HKEY_LOCAL_MACHINE, false},
        {"InstFlag 0", HKEY_CURRENT_USER, true},
    };
    for (const State& state : states) {
        DeleteOwnedKeys();
        if (state.entries) {
            SetValue(HKEY_CURRENT_USER, kSettingsKey, Dword("Options", 8));
            RecordEntries(state.entries, copy);
        }
        if (state.installFlagZero)
            SetValue(HKEY_CURRENT_USER, kSettingsKey, Dword("InstFlag", 0));
        const std::string before = DumpOwnedKeys();
        const std::string with = std::string(" with ") + state.name;
        BrdlProcess run(Quote(copy) + " /u");
        run.RequireQuietExit("\"/u\"" + with);
        CHECK_EQ(DumpOwnedKeys(), before, "registry" + with);
        CHECK(Exists(copy), "the program file stays" + with);
        CHECK(!Exists(UninstallScriptPath()), "no uninstall script" + with);
    }
    // InstFlag 0 still counts as installed for the start-up gate.
    CheckStartsStraightToMainWindow(copy);
}

void PercentInFolderName()
{
    // The command processor drops a lone % of a script line: a script that does
    // not double it names the decoy instead of the installed file.
    const std::string decoy = std::string(kPercentDecoyFolder) + "\\brdl.EXE";
    CreateFolder(kPercentDecoyFolder);
    WriteFileBytes(decoy, "decoy");
    InstallThroughDialog(BuildExePath(), Scope::CurrentUser, kPercentFolder);

    // A temporary folder with a blank (a user name with a space) must not split
    // the script's command line. main.cpp restores TMP and TEMP.
    const std::string temp = std::string(kScratchFolder) + "\\Temp Folder";
    CreateFolder(temp);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());

    RunUninstallAnswering(Scope::CurrentUser, IDYES);
    CheckRemovedCompletely(kPercentFolder);
    CHECK_EQ(ReadFileBytes(decoy), "decoy", "the file of the name without % stays");
}

} // namespace e2e
