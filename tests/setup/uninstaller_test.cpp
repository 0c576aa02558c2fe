#include <doctest/doctest.h>
#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/setup_fixtures.h"
#include "setup/uninstaller.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"

namespace {

std::string Script(const std::string& exe, const std::string& script, size_t size = UninstallScriptSize)
{
    char bytes[UninstallScriptSize + 1];
    return std::string(bytes, ComposeUninstallScript(exe.c_str(), script.c_str(), bytes, size));
}

// Points GetTempPathA (TMP, then TEMP) at folder while it lives.
struct TempPathOverride {
    explicit TempPathOverride(const std::string& folder)
    {
        for (int i : {0, 1}) {
            had[i] = GetEnvironmentVariableA(names[i], saved[i], MAX_PATH) != 0;
            SetEnvironmentVariableA(names[i], folder.c_str());
        }
    }
    ~TempPathOverride()
    {
        for (int i : {0, 1})
            SetEnvironmentVariableA(names[i], had[i] ? saved[i] : nullptr);
    }
    const char* names[2] = {"TMP", "TEMP"};
    char saved[2][MAX_PATH];
    bool had[2];
};

// What an installation for each root left, with subkeys where the whole tree must go.
void SeedInstallation()
{
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        WriteValue(root, ToolbarButtonKey, "Exec", REG_SZ, "x", 2);
        WriteDword(root, std::string(ToolbarButtonKey).append("\\Sub").c_str(), "x", 1);
        WriteValue(root, UninstallKey, "DisplayName", REG_SZ, "x", 2);
    }
    WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", 8);
    WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL\\Sub\\Deeper", "x", 1);
}

bool Installed(HKEY root)
{
    return KeyExists(root, ToolbarButtonKey) && KeyExists(root, UninstallKey);
}

bool Gone(HKEY root)
{
    return !KeyExists(root, ToolbarButtonKey) && !KeyExists(root, UninstallKey);
}

} // namespace

TEST_CASE("the uninstall script names exactly its files")
{
    SUBCASE("five lines, each ended by CR LF")
    {
        CHECK(Script("C:\\Program Files\\BRDL\\brdl.EXE", "C:\\Temp\\__UNINST.BAT") ==
              ":Repeat\r\n"
              "del \"C:\\Program Files\\BRDL\\brdl.EXE\"\r\n"
              "if exist \"C:\\Program Files\\BRDL\\brdl.EXE\" goto Repeat\r\n"
              "rmdir \"C:\\Program Files\\BRDL\"\r\n"
              "del \"C:\\Temp\\__UNINST.BAT\"\r\n");
    }
    SUBCASE("no backslash, no folder to remove")
    {
        CHECK(Script("brdl.EXE", "C:\\Temp\\__UNINST.BAT") ==
              ":Repeat\r\ndel \"brdl.EXE\"\r\nif exist \"brdl.EXE\" goto Repeat\r\ndel \"C:\\Temp\\__UNINST.BAT\"\r\n");
    }
    SUBCASE("every % is doubled, in both paths")
    {
        CHECK(Script("C:\\100% Tools\\brdl.EXE", "C:\\%T%\\__UNINST.BAT") ==
              ":Repeat\r\n"
              "del \"C:\\100%% Tools\\brdl.EXE\"\r\n"
              "if exist \"C:\\100%% Tools\\brdl.EXE\" goto Repeat\r\n"
              "rmdir \"C:\\100%% Tools\"\r\n"
              "del \"C:\\%%T%%\\__UNINST.BAT\"\r\n");
    }
    SUBCASE("the longest paths fit; longer ones and a smaller buffer give nothing")
    {
        const std::string exe = "C:\\" + std::string(MAX_PATH - 4, '%');
        const std::string script = "C:\\" + std::string(MAX_PATH - 17, '%') + "\\__UNINST.BAT";
        const std::string escapedExe = "C:\\" + std::string(2 * (MAX_PATH - 4), '%');
        const std::string escapedScript = "C:\\" + std::string(2 * (MAX_PATH - 17), '%') + "\\__UNINST.BAT";
        CHECK(Script(exe, script) == ":Repeat\r\ndel \"" + escapedExe + "\"\r\nif exist \"" + escapedExe +
                                         "\" goto Repeat\r\nrmdir \"C:\"\r\ndel \"" + escapedScript + "\"\r\n");
        CHECK(Script(exe + "%", script).empty());
        CHECK(Script(exe, script + "x").empty());
        CHECK(Script("a", "b", UninstallScriptSize - 1).empty());
    }
}

TEST_CASE("DeleteKeyTree removes a key with its whole subtree")
{
    RegistrySandbox sandbox;
    WriteDword(HKEY_CURRENT_USER, "T\\A", "v", 1);
    WriteDword(HKEY_CURRENT_USER, "T\\A\\B\\C", "v", 1);
    WriteDword(HKEY_CURRENT_USER, "T\\A\\B\\C2", "v", 1);
    WriteDword(HKEY_CURRENT_USER, "T\\A\\B2", "v", 1);
    WriteDword(HKEY_CURRENT_USER, "T\\Keep", "v", 1);
    CHECK(DeleteKeyTree(HKEY_CURRENT_USER, "T\\A") == ERROR_SUCCESS);
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "T\\A"));
    CHECK(KeyExists(HKEY_CURRENT_USER, "T\\Keep"));
    CHECK(DeleteKeyTree(HKEY_CURRENT_USER, "T\\A") == ERROR_FILE_NOT_FOUND);
}

TEST_CASE("RunUninstall asks, then removes the keys of the installed scope")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher boxes(IDYES);
    // A folder named like the script keeps it from being written, so nothing is started
    // against this test's own executable.
    TestFolder temp;
    CreateDirectoryA(temp.Sub(UninstallScriptName).c_str(), nullptr);
    TempPathOverride tempPath(temp.Path() + "\\");
    char tempNow[MAX_PATH] = "";
    GetTempPathA(sizeof tempNow, tempNow);
    REQUIRE(temp.Path() + "\\" == tempNow);
    SeedInstallation();

    // Asking, No, and a missing or 0 InstFlag are driven end to end (tests/e2e).
    SUBCASE("Yes: 2 removes under the current user, 1 and any other value under the machine")
    {
        for (DWORD scope : {2, 1, 7}) {
            SeedInstallation();
            WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", scope);
            RunUninstall();
            const bool user = scope == 2;
            CHECK(Gone(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE));
            CHECK(Installed(user ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER));
            CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"));
        }
        CHECK(boxes.CountOf(IDS_CONFIRM_UNINSTALL) == 3);
    }
    SUBCASE("Yes: keys that cannot go stay, the others go all the same")
    {
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\Other", "x", 1);
        WriteDword(HKEY_LOCAL_MACHINE, std::string(UninstallKey).append("\\Sub").c_str(), "x", 1);
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 1);
        RunUninstall();
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, SettingsKey));
        CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane\\Other"));
        CHECK(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));   // a key with subkeys is not deleted
        CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ToolbarButtonKey));
    }
    CHECK(IsFolder(temp.Sub(UninstallScriptName)));
}
