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

std::string FolderText(HWND dialog)
{
    return WindowText(GetDlgItem(dialog, IDC_FOLDER));
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

// Dialog, copy and registration are driven end to end (tests/e2e); here the bounds.
TEST_CASE("a destination must fit MAX_PATH; a longer one is refused before any folder is made")
{
    RegistrySandbox sandbox;
    MessageBoxCatcher boxes;
    TestFolder folder;
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
    CHECK(NothingRegistered());

    // A destination of 259 characters, typed with its backslash: it gets no second one.
    const std::string longest = folderOf(MAX_PATH - 10) + "\\";
    std::strcpy(InstallFolder, longest.c_str());
    CHECK(InstallProgram() == 1);
    CHECK(ReadBytes(longest + "brdl.EXE") == ReadBytes(ExecutablePath()));
    CHECK(RawValue(HKEY_CURRENT_USER, ToolbarButtonKey, "Exec") == longest + "brdl.EXE" + '\0');
}
