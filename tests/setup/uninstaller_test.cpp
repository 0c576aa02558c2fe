#include <doctest/doctest.h>

#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "support/files.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"

TEST_CASE("the uninstall script names exactly its files, every % doubled")
{
    const std::string longExe = "C:\\" + std::string(MAX_PATH - 4, '%');
    const std::string longScript = "C:\\" + std::string(MAX_PATH - 17, '%') + "\\__UNINST.BAT";
    const std::string doubledExe = "C:\\" + std::string(2 * (MAX_PATH - 4), '%');
    const struct {
        std::string exe, script, expected;
    } cases[] = {
        {"C:\\Program Files\\BRDL\\brdl.EXE", "C:\\Temp\\__UNINST.BAT",
         ":Repeat\r\ndel \"C:\\Program Files\\BRDL\\brdl.EXE\"\r\n"
         "if exist \"C:\\Program Files\\BRDL\\brdl.EXE\" goto Repeat\r\n"
         "rmdir \"C:\\Program Files\\BRDL\"\r\ndel \"C:\\Temp\\__UNINST.BAT\"\r\n"},
        {"brdl.EXE", "C:\\T\\__UNINST.BAT",   // no folder to remove
         ":Repeat\r\ndel \"brdl.EXE\"\r\nif exist \"brdl.EXE\" goto Repeat\r\ndel \"C:\\T\\__UNINST.BAT\"\r\n"},
        {"C:\\100% Tools\\brdl.EXE", "C:\\%T%\\__UNINST.BAT",
         ":Repeat\r\ndel \"C:\\100%% Tools\\brdl.EXE\"\r\nif exist \"C:\\100%% Tools\\brdl.EXE\" goto Repeat\r\n"
         "rmdir \"C:\\100%% Tools\"\r\ndel \"C:\\%%T%%\\__UNINST.BAT\"\r\n"},
        {longExe, longScript,   // the longest paths, doubled whole, fit the buffer
         ":Repeat\r\ndel \"" + doubledExe + "\"\r\nif exist \"" + doubledExe + "\" goto Repeat\r\nrmdir \"C:\"\r\n" +
             "del \"C:\\" + std::string(2 * (MAX_PATH - 17), '%') + "\\__UNINST.BAT\"\r\n"},
        {longExe + "%", longScript, ""},   // a path of MAX_PATH characters cannot be the program's
        {longExe, longScript + "x", ""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.exe);
        char bytes[UninstallScriptSize];
        CHECK(std::string(bytes, ComposeUninstallScript(c.exe.c_str(), c.script.c_str(), bytes, sizeof bytes)) ==
              c.expected);
    }
}

TEST_CASE("RunUninstall asks first, then removes the keys of the installed scope and only those")
{
    struct Case {
        const char* what;
        const char* flag;   // the 4 bytes of InstFlag, nullptr for none
        int answer;
        bool asked, removed;
        HKEY root;
    };
    const Case cases[] = {
        {"not installed", nullptr, IDYES, false, false, HKEY_CURRENT_USER},
        {"InstFlag 0", "\0\0\0\0", IDYES, false, false, HKEY_CURRENT_USER},
        {"No", "\2\0\0\0", IDNO, true, false, HKEY_CURRENT_USER},
        {"current user", "\2\0\0\0", IDYES, true, true, HKEY_CURRENT_USER},
        {"all users", "\1\0\0\0", IDYES, true, true, HKEY_LOCAL_MACHINE},
        {"a stray 7", "\7\0\0\0", IDYES, true, true, HKEY_LOCAL_MACHINE},
    };
    // A folder named like the script keeps it from being written, so nothing is
    // started against this test's own executable.
    TestFolder temp;
    CreateDirectoryA(temp.Sub(UninstallScriptName).c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    for (const Case& c : cases) {
        INFO(c.what);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher(c.answer);
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            WriteDword(root, (std::string(ToolbarButtonKey) + "\\Sub").c_str(), "x", 1);
            WriteDword(root, UninstallKey, "x", 1);
        }
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\BRDL\\Sub\\Deeper", "x", 1);
        WriteDword(HKEY_CURRENT_USER, "Software\\Talvane\\Other", "x", 1);
        if (c.flag)
            WriteValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag", REG_DWORD, c.flag, 4);
        RunUninstall();
        CHECK(catcher.CountOf(IDS_CONFIRM_UNINSTALL) == (c.asked ? 1u : 0u));
        const HKEY other = c.root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        CHECK(KeyExists(c.root, ToolbarButtonKey) == !c.removed);
        CHECK(KeyExists(c.root, UninstallKey) == !c.removed);
        CHECK(KeyExists(HKEY_CURRENT_USER, SettingsKey) == !c.removed);
        CHECK(KeyExists(other, ToolbarButtonKey));
        CHECK(KeyExists(other, UninstallKey));
        CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane\\Other"));   // not ours
    }
    RegistrySandbox sandbox;
    MessageBoxCatcher catcher(IDYES);
    WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", ScopeCurrentUser);
    RunUninstall();
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Talvane"));   // left empty, so it goes too
    SetEnvironmentVariableA("TMP", nullptr);
    CHECK(IsFolder(temp.Sub(UninstallScriptName)));
}

TEST_CASE("DeleteKeyTree removes a key with its whole subtree")
{
    RegistrySandbox sandbox;
    for (const char* key : {"T\\A\\B\\C", "T\\A\\B\\C2", "T\\A\\B2", "T\\Keep"})
        WriteDword(HKEY_CURRENT_USER, key, "v", 1);
    CHECK(DeleteKeyTree(HKEY_CURRENT_USER, "T\\A") == ERROR_SUCCESS);
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "T\\A"));
    CHECK(KeyExists(HKEY_CURRENT_USER, "T\\Keep"));
    CHECK(DeleteKeyTree(HKEY_CURRENT_USER, "T\\A") == ERROR_FILE_NOT_FOUND);
}
