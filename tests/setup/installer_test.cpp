#include <doctest/doctest.h>
#include <shlobj.h>
#include <commctrl.h>
#include <cstring>
#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/setup_fixtures.h"
#include "support/message_box_catcher.h"
#include "support/registry_sandbox.h"

namespace {

constexpr char DialogTitle[] = "Install Brindle";
constexpr char BrowserTitle[] = "Browse for Folder";
constexpr char OverItselfCase[] = "installing over the running file";

std::string FolderText(HWND dialog)
{
    return WindowText(GetDlgItem(dialog, IDC_FOLDER));
}

// Types text, picks the scope as a user would and presses OK.
DriverStep Fill(const std::string& text, int scopeButton)
{
    return {DialogTitle, [=](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_FOLDER, text.c_str());
                SendDlgItemMessageA(dialog, scopeButton, BM_CLICK, 0, 0);
                Press(dialog, IDOK);
            }};
}

DriverStep Cancel(const char* title = DialogTitle)
{
    return {title, [](HWND window) { Press(window, IDCANCEL); }};
}

// The browser has taken the preselection once its tree's selected item names the folder.
bool Selects(HWND browser, const std::string& folder)
{
    HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    char text[MAX_PATH] = "";
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = tree ? TreeView_GetSelection(tree) : nullptr;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (item.hItem)
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return lstrcmpiA(text, folder.substr(folder.rfind('\\') + 1).c_str()) == 0;
}

bool NothingRegistered()
{
    return !KeyExists(HKEY_CURRENT_USER, SettingsKey) && !KeyExists(HKEY_CURRENT_USER, ToolbarButtonKey) &&
           !KeyExists(HKEY_LOCAL_MACHINE, ToolbarButtonKey) && !KeyExists(HKEY_CURRENT_USER, UninstallKey) &&
           !KeyExists(HKEY_LOCAL_MACHINE, UninstallKey);
}

// The ten values, byte for byte with their terminators, under the scope's root only.
void CheckRegistration(const std::string& folder, DWORD scope)
{
    const HKEY root = scope == 2 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const HKEY other = scope == 2 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::string texts[][3] = {
        {ToolbarButtonKey, "ButtonText", "Brindle"},
        {ToolbarButtonKey, "CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
        {ToolbarButtonKey, "Default Visible", "Yes"},
        {ToolbarButtonKey, "Exec", folder + "brdl.EXE"},
        {ToolbarButtonKey, "HotIcon", folder + "brdl.exe,3"},
        {ToolbarButtonKey, "Icon", folder + "brdl.exe,2"},
        {UninstallKey, "DisplayIcon", folder + "brdl.EXE"},
        {UninstallKey, "DisplayName", "Brindle"},
        {UninstallKey, "UninstallString", "\"" + folder + "brdl.EXE\" /u"},
    };
    for (const auto& text : texts) {
        DWORD type = REG_NONE;
        CHECK_MESSAGE(RawValue(root, text[0].c_str(), text[1].c_str(), &type) == text[2] + '\0', text[1]);
        CHECK(type == REG_SZ);
    }
    DWORD type = REG_NONE;
    CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag", &type) ==
          std::string(reinterpret_cast<const char*>(&scope), sizeof scope));
    CHECK(type == REG_DWORD);
    CHECK(ValueCount(root, ToolbarButtonKey) == 6);
    CHECK(ValueCount(root, UninstallKey) == 3);
    CHECK_FALSE((KeyExists(other, ToolbarButtonKey) || KeyExists(other, UninstallKey)));
}

} // namespace

TEST_CASE("the gate")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher boxes;
    SUBCASE("any InstFlag that reads into 4 bytes passes, a DWORD 0 and a short text included")
    {
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 0);
        CHECK(DriveModal(RunInstallerIfNeeded, {}) == 1);
        WriteValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag", REG_SZ, "ab", 3);
        CHECK(DriveModal(RunInstallerIfNeeded, {}) == 1);
    }
    SUBCASE("a longer InstFlag, or none beside other settings, opens the dialog; Cancel writes nothing")
    {
        WriteValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag", REG_BINARY, "12345678", 8);
        CHECK(DriveModal(RunInstallerIfNeeded, {Cancel()}) == 0);
        RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey);
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", 8);
        CHECK(DriveModal(RunInstallerIfNeeded, {Cancel()}) == 0);
        CHECK(RawValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag").empty());
        CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ToolbarButtonKey));
    }
    SUBCASE("ReadInstallScope gives the 4 bytes, or 0")
    {
        CHECK(ReadInstallScope() == 0);
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "InstFlag", 7);
        CHECK(ReadInstallScope() == 7);
        WriteValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag", REG_BINARY, "12345678", 8);
        CHECK(ReadInstallScope() == 0);
    }
    CHECK(boxes.Count() == 0);
}

TEST_CASE("the install dialog")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher boxes;
    CoInitialize(nullptr);
    SUBCASE("defaults; blanks give message 124 and the dialog stays")
    {
        char programFiles[MAX_PATH];
        REQUIRE(SHGetSpecialFolderPathA(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE));
        const auto defaults = [&](HWND dialog) {
            CHECK(FolderText(dialog) == std::string(programFiles) + "\\BRDL");
            CHECK(IsDlgButtonChecked(dialog, IDC_ALL_USERS) == BST_CHECKED);
            CHECK(IsDlgButtonChecked(dialog, IDC_CURRENT_USER) == BST_UNCHECKED);
            CHECK(GetFocus() == GetDlgItem(dialog, IDC_FOLDER));
            SetDlgItemTextA(dialog, IDC_FOLDER, " \t  ");
            Press(dialog, IDOK);
        };
        const auto stays = [&](HWND dialog) {
            REQUIRE(boxes.CountOf(IDS_NO_FOLDER) == 1);
            CHECK(boxes.Caught()[0].owner == dialog);
            Press(dialog, IDCANCEL);
        };
        CHECK(DriveModal(RunInstallerIfNeeded, {{DialogTitle, defaults}, {DialogTitle, stays}}) == 0);
        CHECK(NothingRegistered());
    }
    SUBCASE("Browse preselects the typed folder and takes the choice; a cancelled browser changes nothing")
    {
        // Under Wine the browser stopped at the profile folder on its way into the temporary one.
        TestFolder folder("C:");
        const auto browse = [](const std::string& text) {
            return [=](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_FOLDER, text.c_str());
                Press(dialog, IDC_BROWSE);
            };
        };
        const auto chosen = [&](HWND dialog) {
            CHECK(lstrcmpiA(FolderText(dialog).c_str(), folder.Path().c_str()) == 0);
            browse("typed")(dialog);
        };
        const auto unchanged = [](HWND dialog) {
            CHECK(FolderText(dialog) == "typed");
            Press(dialog, IDCANCEL);
        };
        const auto preselected = [&](HWND browser) { return Selects(browser, folder.Path()); };
        CHECK(DriveModal(RunInstallerIfNeeded, {{DialogTitle, browse(folder.Path())},
                                                {BrowserTitle, [](HWND b) { Press(b, IDOK); }, preselected},
                                                {DialogTitle, chosen},
                                                Cancel(BrowserTitle),
                                                {DialogTitle, unchanged}}) == 0);
    }
    CoUninitialize();
}

TEST_CASE("the installation copies the executable and registers it")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher boxes;
    TestFolder folder;
    const std::string exeBytes = ReadBytes(ExecutablePath());
    REQUIRE(!exeBytes.empty());

    SUBCASE("a trimmed folder for the current user, created level by level")
    {
        const std::string installed = folder.Sub("Tools\\New\\");
        CHECK(DriveModal(RunInstallerIfNeeded, {Fill("  " + folder.Sub("Tools\\New") + "  ", IDC_CURRENT_USER)}) == 1);
        CHECK(ReadBytes(installed + "brdl.EXE") == exeBytes);
        CheckRegistration(installed, 2);
        CHECK(boxes.Count() == 0);
    }
    SUBCASE("all users, a typed trailing backslash kept single, an older copy replaced")
    {
        const std::string installed = folder.Sub("AU\\");
        CreateDirectoryA(installed.c_str(), nullptr);
        WriteBytes(installed + "brdl.EXE", "older");
        CHECK(DriveModal(RunInstallerIfNeeded, {Fill(installed, IDC_ALL_USERS)}) == 1);
        CHECK(ReadBytes(installed + "brdl.EXE") == exeBytes);
        CheckRegistration(installed, 1);
    }
    SUBCASE("a file in the way: message 121 and no registry value")
    {
        WriteBytes(folder.Sub("file"), "x");
        CHECK(DriveModal(RunInstallerIfNeeded, {Fill(folder.Sub("file"), IDC_CURRENT_USER)}) == 0);
        REQUIRE(boxes.CountOf(IDS_COPY_FAILED) == 1);
        CHECK(boxes.Caught()[0].owner == nullptr);
        CHECK(NothingRegistered());
    }
    SUBCASE("the running file itself is registered without a copy")
    {
        // A copy of this program, started as the installed file, installs into its own
        // folder (a link to this running image could not be removed afterwards).
        const std::string copy = folder.Sub("brdl.EXE");
        REQUIRE(CopyFileA(ExecutablePath().c_str(), copy.c_str(), FALSE));
        CHECK(RunToEnd("\"" + copy + "\" --no-skip --minimal --test-case=\"" + OverItselfCase + "\"") == 0);
        CHECK(IsFile(folder.Sub("ran")));
    }
    SUBCASE("a destination must fit MAX_PATH; a longer one is refused before any folder is made")
    {
        InstallScope = 2;
        const std::string base = folder.Sub("");
        const auto folderOf = [&](size_t length) { return base + std::string(length - base.size(), 'L'); };
        // 259 characters leave no room for the backslash; 251 make a destination of 260.
        for (size_t length : {size_t{MAX_PATH - 1}, size_t{MAX_PATH - 9}}) {
            std::strcpy(InstallFolder, folderOf(length).c_str());
            CHECK(InstallProgram() == 0);
            CHECK_FALSE(IsFolder(folderOf(length)));
        }
        CHECK(boxes.CountOf(IDS_COPY_FAILED) == 2);
        std::strcpy(InstallFolder, folderOf(MAX_PATH - 10).c_str());   // a destination of 259 characters
        CHECK(InstallProgram() == 1);
        CHECK(ReadBytes(folderOf(MAX_PATH - 10) + "\\brdl.EXE") == exeBytes);
    }
}

// Run by the case above in a copy of this program named brdl.EXE, as the installed
// file: its own folder, spelled in capitals, is the install folder.
TEST_CASE(OverItselfCase * doctest::skip())
{
    RegistrySandbox sandbox;
    MessageBoxCatcher boxes;
    const std::string exe = ExecutablePath();
    std::string folder = exe.substr(0, exe.rfind('\\') + 1);
    CharUpperA(&folder[0]);
    const std::string bytes = ReadBytes(exe);
    std::strcpy(InstallFolder, folder.c_str());
    InstallScope = 2;
    CHECK(InstallProgram() == 1);
    CHECK(boxes.Count() == 0);
    CHECK(ReadBytes(exe) == bytes);
    CheckRegistration(folder, 2);
    WriteBytes(folder + "ran", "");   // tells the parent the case was found and run
}
