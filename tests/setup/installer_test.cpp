// The installation, in a sandboxed registry.
#include <doctest/doctest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/path_utils.h"
#include "support/limited_token.h"
#include "support/message_box_catcher.h"
#include "support/sandbox.h"

namespace {

const ImportPatch* g_create;
const char* g_refused;   // the key that cannot be created

LONG WINAPI CreateKey(HKEY root, LPCSTR subKey, PHKEY key)
{
    if (g_refused && std::strcmp(subKey, g_refused) == 0)
        return ERROR_ACCESS_DENIED;
    return reinterpret_cast<decltype(&RegCreateKeyA)>(reinterpret_cast<void*>(g_create->original))(root, subKey, key);
}

} // namespace

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
        CHECK(InstallProgram(true) == fits);
        CHECK(catcher.CountOf(IDS_COPY_FAILED) == !fits);
        CHECK(Exists(dir) == fits);
        const HKEY root = InstallScope == ScopeCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const HKEY other = root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        CHECK_FALSE(KeyExists(other, "Software\\Microsoft"));
        CHECK(KeyExists(root, "Software\\Microsoft") == fits);
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag") == (fits ? InstallScope : ~0u));
        if (!fits)
            continue;
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        CHECK(ReadBytes(dir + "\\brdl.EXE") == ReadBytes(self));
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

TEST_CASE("all users without the rights installs through the consent prompt; a registration that fails leaves "
          "nothing of its own, and no InstFlag")
{
    enum { Declined = LimitedToken::Declined, NotStarted = LimitedToken::NotStarted, Run = LimitedToken::Run };
    // The consent prompt's answers (none: the rights are there), the key that cannot be created, whether the
    // program already runs from the destination, how often the install dialog opens, "InstFlag" afterwards
    // (0: none) and the message shown.
    const struct { std::vector<int> consent; const char* refused; bool inPlace; size_t dialogs; DWORD flag; UINT told; } cases[] = {
        {{Declined, Run}, nullptr, false, 2, ScopeAllUsers, 0},   // opened again, as the user left it
        {{1}, nullptr, false, 1, 0, 0},   // the copy failed and told the user
        {{NotStarted}, nullptr, false, 1, 0, IDS_COPY_FAILED},
        {{Run}, UninstallKey, false, 1, 0, IDS_REGISTER_FAILED},   // the copy undoes its own
        {{}, UninstallKey, false, 1, 0, IDS_REGISTER_FAILED},
        {{}, ToolbarButtonKey, true, 1, 0, IDS_REGISTER_FAILED},   // a file that was in place stays
        {{}, SettingsKey, false, 1, 0, IDS_REGISTER_FAILED}};
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const ImportPatch create("advapi32", "RegCreateKeyA", reinterpret_cast<const void*>(CreateKey));
    g_create = &create;
    for (const auto& c : cases) {
        CAPTURE(c.refused);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher;
        catcher.dialogs[IDD_INSTALL] = IDOK;
        TestFolder folder;
        const std::string exe = folder.Sub("brdl.EXE");
        std::optional<LimitedToken> token;
        if (!c.consent.empty())
            token.emplace(c.consent);
        if (c.inPlace)
            CopyFileA(self, exe.c_str(), FALSE);
        const ReportedExe reported(Wide(c.inPlace ? exe : self));
        g_refused = c.refused;
        std::strcpy(InstallFolder, folder.path.c_str());
        InstallScope = c.consent.empty() ? ScopeCurrentUser : ScopeAllUsers;
        CHECK(RunInstallerIfNeeded() == (c.flag != 0));
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag") == (c.flag ? c.flag : ~0u));
        CHECK(Exists(exe) == (c.flag || c.inPlace));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            CHECK((KeyExists(root, UninstallKey) == (c.flag != 0 && root == HKEY_LOCAL_MACHINE) &&
                   KeyExists(root, ToolbarButtonKey) == KeyExists(root, UninstallKey)));
        CHECK(catcher.caught.size() == c.dialogs + (c.told != 0));
        CHECK((c.told == 0 || catcher.CountOf(c.told) == 1));
        std::string started;
        for (size_t i = 0; i < c.consent.size(); ++i)
            started += "runas " + std::string(self) + " /BrdlInstallAllUsers \"" + folder.path + "\"|";
        CHECK((!token || token->started == started));
    }
}

TEST_CASE("an install folder must be a full path: a drive with its backslash, or a server and share")
{
    for (const char* full : {"C:\\", "z:\\A", "\\\\server\\share"})
        CHECK_MESSAGE(IsFullPath(full), full);
    for (const char* relative : {"C:A", "C:", "BRDL", "\\BRDL", "", "1:\\A", "\\\\server", "\\\\server\\", "\\\\\\share"})
        CHECK_MESSAGE(!IsFullPath(relative), relative);
}
