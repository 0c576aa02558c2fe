// "/u": the question, the registry removal, and the hidden script that deletes
// the program file and its folder once the program has ended.
#include <string>
#include <vector>

#include "e2e/cases.h"
#include "e2e/harness.h"
#include "e2e/product.h"
#include "e2e/system_state.h"

namespace e2e {

void UninstallAnsweredNo()
{
    const std::string folder = std::string(kScratchFolder) + "\\Installed";
    InstallThroughDialog(BuildExePath(), folder, Scope::CurrentUser);
    const std::string installed = DumpOwnedKeys();

    RunUninstallAnswering(Scope::CurrentUser, IDNO);
    CHECK_EQ(DumpOwnedKeys(), installed, "registry after No");
    CHECK_EQ(Join(FolderEntries(folder)), "brdl.EXE", "files in the install folder after No");
    CHECK_MSG(!PathExists(UninstallScriptPath()), "no uninstall script is written");
}

void UninstallAnsweredYes()
{
    const std::string clean = DumpOwnedKeys();
    const std::string folder = std::string(kScratchFolder) + "\\Installed";
    InstallThroughDialog(BuildExePath(), folder, Scope::CurrentUser);

    RunUninstallAnswering(Scope::CurrentUser, IDYES);
    // The keys go before the program ends; Software\Talvane held nothing else.
    CHECK_EQ(DumpOwnedKeys(), clean, "registry after Yes");
    CHECK_EQ(Join(WaitForRemoval({folder + "\\brdl.EXE", folder, UninstallScriptPath()})), "(none)",
             "left behind by the uninstall script");
    CHECK_MSG(FolderExists(kScratchFolder), "the folder above the install folder stays");
}

void UninstallKeepsWhatIsNotItsOwn()
{
    const std::string folder = std::string(kScratchFolder) + "\\Shared";
    InstallThroughDialog(BuildExePath(), folder, Scope::CurrentUser);
    WriteFileBytes(folder + "\\notes.txt", "the user's own file");
    SetString(HKEY_CURRENT_USER, "Software\\Talvane\\Other", "Kept", "yes");

    RunUninstallAnswering(Scope::CurrentUser, IDYES);
    CHECK_EQ(Join(SubkeyNames(HKEY_CURRENT_USER, kTalvaneKey)), "Other", "subkeys left under Software\\Talvane");
    DWORD type = 0;
    std::string kept;
    CHECK_MSG(ReadRawValue(HKEY_CURRENT_USER, "Software\\Talvane\\Other", "Kept", &type, &kept) &&
                  kept == std::string("yes", 4),
              "the other key keeps its value");
    CHECK_MSG(!KeyExists(HKEY_CURRENT_USER, kToolbarKey) && !KeyExists(HKEY_CURRENT_USER, kUninstallKey),
              "the toolbar button and uninstall keys are removed");
    CHECK_EQ(Join(WaitForRemoval({folder + "\\brdl.EXE", UninstallScriptPath()})), "(none)",
             "left behind by the uninstall script");
    CHECK_EQ(Join(FolderEntries(folder)), "notes.txt", "files left in the install folder");
}

void UninstallWithoutInstallFlag()
{
    // A copy outside any install folder, so a wrong removal could not touch the build.
    const std::string folder = std::string(kScratchFolder) + "\\Copy";
    const std::string copy = folder + "\\brdl.EXE";
    CreateFolder(folder);
    REQUIRE_MSG(CopyFileA(BuildExePath().c_str(), copy.c_str(), FALSE), "copy the program to " + copy);

    struct State {
        const char* name;
        bool settingsKey;  // with "Options" only
        bool allUsersEntries;
        bool installFlagZero;
    };
    const State states[] = {
        {"nothing recorded", false, false, false},
        {"an all-users installation this user never started", true, true, false},
        {"InstFlag 0", true, false, true},
    };
    for (const State& state : states) {
        DeleteOwnedKeys();
        if (state.settingsKey)
            SetDword(HKEY_CURRENT_USER, kSettingsKey, "Options", 8);
        if (state.allUsersEntries) {
            SetString(HKEY_LOCAL_MACHINE, kToolbarKey, "Exec", copy);
            SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + copy + "\" /u");
        }
        if (state.installFlagZero) {
            SetDword(HKEY_CURRENT_USER, kSettingsKey, "InstFlag", 0);
            SetString(HKEY_CURRENT_USER, kToolbarKey, "Exec", copy);
            SetString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString", "\"" + copy + "\" /u");
        }
        const std::string before = DumpOwnedKeys();
        BrdlProcess run = BrdlProcess::Start(copy, "/u");
        run.RequireQuietExit(std::string("\"/u\" with ") + state.name);
        CHECK_EQ(DumpOwnedKeys(), before, std::string("registry with ") + state.name);
        CHECK_MSG(FileExists(copy), std::string("the program file stays with ") + state.name);
        CHECK_MSG(!PathExists(UninstallScriptPath()), std::string("no uninstall script with ") + state.name);
    }
    // InstFlag 0 still counts as installed for the start-up gate.
    CheckStartsStraightToMainWindow(copy);
}

void PercentInFolderName()
{
    // The command processor drops a lone % of a script line: a script that does
    // not double it names the decoy instead of the installed file.
    const std::string clean = DumpOwnedKeys();
    const std::string folder = kPercentFolder;
    const std::string decoy = std::string(kPercentDecoyFolder) + "\\brdl.EXE";
    CreateFolder(kPercentDecoyFolder);
    WriteFileBytes(decoy, "decoy");
    InstallThroughDialog(BuildExePath(), folder, Scope::CurrentUser);
    CheckInstalledEntries(folder + "\\", Scope::CurrentUser);

    // A temporary folder with a blank (a user name with a space) must not split
    // the script's command line.
    char savedTemp[MAX_PATH] = "";
    GetEnvironmentVariableA("TEMP", savedTemp, sizeof savedTemp);
    const std::string temp = std::string(kScratchFolder) + "\\Temp Folder";
    CreateFolder(temp);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());

    RunUninstallAnswering(Scope::CurrentUser, IDYES);
    CHECK_EQ(DumpOwnedKeys(), clean, "registry after Yes");
    CHECK_EQ(Join(WaitForRemoval({folder + "\\brdl.EXE", folder, UninstallScriptPath()})), "(none)",
             "left behind by the uninstall script");
    CHECK_EQ(ReadFileBytes(decoy), "decoy", "the file of the name without % stays");
    SetEnvironmentVariableA("TMP", savedTemp);
    SetEnvironmentVariableA("TEMP", savedTemp);
}

} // namespace e2e
