// The installation, in a sandboxed registry.
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "app/brindle.h"
#include "app/resource.h"
#include "setup/installer.h"
#include "setup/path_utils.h"
#include "support/message_box_catcher.h"
#include "support/sandbox.h"

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

TEST_CASE("an install folder must be a full path: a drive with its backslash, or a server and share")
{
    for (const char* full : {"C:\\", "z:\\A", "\\\\server\\share"})
        CHECK_MESSAGE(IsFullPath(full), full);
    for (const char* relative : {"C:A", "C:", "BRDL", "\\BRDL", "", "1:\\A", "\\\\server", "\\\\server\\", "\\\\\\share"})
        CHECK_MESSAGE(!IsFullPath(relative), relative);
}
