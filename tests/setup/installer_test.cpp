// The first-start gate, the install dialog and the installation, in a sandboxed registry.
#include <doctest/doctest.h>

#include <shlobj.h>

#include <cstring>
#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "support/message_box_catcher.h"
#include "support/sandbox.h"

TEST_CASE("the gate: any InstFlag that reads into 4 bytes means installed; else the install dialog, here cancelled")
{
    const struct { DWORD type, size; const char* data; int passes; DWORD scope; } cases[] = {
        {REG_NONE, 0, "", 0, 0}, {REG_DWORD, 4, "\0\0\0\0", 1, 0}, {REG_DWORD, 4, "\7\0\0\0", 1, 7},
        {REG_SZ, 3, "ab", 1, 0x6261}, {REG_BINARY, 8, "12345678", 0, 0}};
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher;
        catcher.dialogs[IDD_INSTALL] = IDCANCEL;
        if (c.size)
            RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, "InstFlag", c.type, c.data, c.size);
        CHECK(ReadInstallScope() == c.scope);
        CHECK(RunInstallerIfNeeded() == c.passes);
        CHECK(catcher.caught.size() == 1u - c.passes);
        CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag") == std::string(c.data, c.size));
    }
    CHECK(ShowMessage(nullptr, 125, MB_OK) == IDCANCEL);   // a missing text shows nothing
}

TEST_CASE("the install dialog offers Program Files\\BRDL for all users, and takes the trimmed folder and the scope")
{
    MessageBoxCatcher catcher;
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_INSTALL), nullptr, InstallDlgProc, 0);
    ShowWindow(dialog, SW_SHOWNA);
    char text[MAX_PATH], expected[MAX_PATH];
    GetDlgItemTextA(dialog, IDC_FOLDER, text, sizeof text);
    SHGetSpecialFolderPathA(nullptr, expected, CSIDL_PROGRAM_FILES, FALSE);
    CHECK(std::string(text) == std::string(expected) + "\\BRDL");
    CHECK(IsDlgButtonChecked(dialog, IDC_ALL_USERS) == BST_CHECKED);
    SetDlgItemTextA(dialog, IDC_FOLDER, " \t ");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    CHECK(catcher.CountOf(IDS_NO_FOLDER) == 1);
    CHECK(IsWindowVisible(dialog));
    SetDlgItemTextA(dialog, IDC_FOLDER, "  C:\\Tools\\New  ");
    SendDlgItemMessageA(dialog, IDC_CURRENT_USER, BM_CLICK, 0, 0);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    CHECK(std::string(InstallFolder) == "C:\\Tools\\New");
    CHECK(InstallScope == ScopeCurrentUser);
    CHECK_FALSE(IsWindowVisible(dialog));
    DestroyWindow(dialog);
}

TEST_CASE("an installation copies the program and registers it under its scope's root only; a destination must "
          "fit in MAX_PATH, or nothing is made")
{
    // 259 characters leave no room for the backslash, 251 make a destination of 260;
    // 250 and a typed backslash make one of 259, which fits, as does a short one.
    for (size_t length : {0, MAX_PATH - 1, MAX_PATH - 9, MAX_PATH - 10}) {
        CAPTURE(length);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher;
        TestFolder folder;
        const bool fits = length == 0 || length == MAX_PATH - 10;
        const std::string dir = length ? folder.Sub(std::string(length - folder.path.size() - 1, 'L')) : folder.Sub("A\\B");
        std::strcpy(InstallFolder, (dir + (length ? "\\" : "")).c_str());
        InstallFolder[length == MAX_PATH - 10 ? dir.size() + 1 : dir.size()] = '\0';
        InstallScope = length == MAX_PATH - 10 ? ScopeAllUsers : ScopeCurrentUser;
        CHECK(InstallProgram() == fits);
        CHECK(catcher.CountOf(IDS_COPY_FAILED) == !fits);
        CHECK(Exists(dir) == fits);
        const HKEY root = InstallScope == ScopeCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const HKEY other = root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        CHECK_FALSE(KeyExists(other, "Software\\Microsoft"));
        CHECK(KeyExists(root, "Software\\Microsoft") == fits);
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag") == (fits ? InstallScope : ~0u));
        if (!fits)
            continue;
        CHECK(ReadBytes(dir + "\\brdl.EXE") == ReadBytes(ExecutablePath()));
        const std::string exe = dir + "\\brdl.EXE", icons = dir + "\\brdl.exe,";
        const std::string values[][3] = {
            {ToolbarButtonKey, "ButtonText", "Brindle"}, {ToolbarButtonKey, "CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
            {ToolbarButtonKey, "Default Visible", "Yes"}, {ToolbarButtonKey, "Exec", exe},
            {ToolbarButtonKey, "HotIcon", icons + "3"}, {ToolbarButtonKey, "Icon", icons + "2"},
            {UninstallKey, "DisplayIcon", exe}, {UninstallKey, "DisplayName", "Brindle"},
            {UninstallKey, "UninstallString", "\"" + exe + "\" /u"}};
        for (const auto& value : values) {
            DWORD type = 0;
            CHECK(RawValue(root, value[0].c_str(), value[1].c_str(), &type) == value[2] + '\0');
            CHECK(type == REG_SZ);
        }
    }
}
