// The installation, in a sandboxed registry.
#include "support/common.h"

#include "setup/installer.h"
#include "setup/path_utils.h"
#include "support/process_context.h"

namespace {

const char* g_refused;   // the key that cannot be created

LONG WINAPI CreateKey(HKEY root, LPCSTR subKey, PHKEY key)
{
    return g_refused && std::strcmp(subKey, g_refused) == 0 ? ERROR_ACCESS_DENIED
                                                          : PLATFORM("advapi32", RegCreateKeyA)(root, subKey, key);
}

} // namespace

TEST_CASE("an installation registers under its scope's root only, or leaves nothing of its own")
{
    // length: 0 for a short folder two levels down; consent: none when the rights are there; refused: the key
    // that cannot be created; placed: the destination holds the program it runs from, or a folder of its name.
    enum { Copied, InPlace, FolderInTheWay };
    const struct {
        size_t length; bool slash; DWORD scope; std::vector<int> consent; const char* refused; int placed;
        size_t dialogs; UINT told;
    } cases[] = {
        {0, false, ScopeCurrentUser, {}, nullptr, Copied, 1, 0},
        {MAX_PATH - 1, false, ScopeCurrentUser, {}, nullptr, Copied, 1, IDS_COPY_FAILED},   // no room for the backslash
        {MAX_PATH - 9, false, ScopeCurrentUser, {}, nullptr, Copied, 1, IDS_COPY_FAILED},   // a destination of 260
        {MAX_PATH - 9, true, ScopeAllUsers, {}, nullptr, Copied, 1, 0},                     // one of 259
        {0, false, ScopeAllUsers, {Declined, Run}, nullptr, Copied, 2, 0},   // opened again, as the user left it
        {0, false, ScopeAllUsers, {1}, nullptr, Copied, 1, 0},               // the copy failed and told the user
        {0, false, ScopeAllUsers, {NotStarted}, nullptr, Copied, 1, IDS_COPY_FAILED},
        {0, false, ScopeAllUsers, {Run}, UninstallKey, Copied, 1, IDS_REGISTER_FAILED},   // the copy undoes its own
        {0, false, ScopeCurrentUser, {}, UninstallKey, Copied, 1, IDS_REGISTER_FAILED},
        {0, false, ScopeCurrentUser, {}, ToolbarButtonKey, InPlace, 1, IDS_REGISTER_FAILED},   // a file in place stays
        {0, false, ScopeCurrentUser, {}, SettingsKey, Copied, 1, IDS_REGISTER_FAILED},
        {0, false, ScopeCurrentUser, {}, nullptr, FolderInTheWay, 1, IDS_COPY_FAILED},
        {0, false, ScopeAllUsers, {Run}, SettingsKey, Copied, 1, IDS_REGISTER_FAILED}};   // the copy's part stays
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const ImportPatch create("advapi32", "RegCreateKeyA", CreateKey);
    for (const auto& c : cases) {
        CAPTURE(&c - cases);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher;
        catcher.dialogs[IDD_INSTALL] = IDOK;
        TestFolder folder;
        const std::string dir = folder.Sub(c.length ? std::string(c.length - c.slash - folder.path.size() - 1, 'L') : "A\\B");
        const std::string exe = dir + "\\brdl.EXE", typed = dir + (c.slash ? "\\" : "");
        if (c.placed == InPlace && CreateDirectoryTree(dir.c_str()))
            CopyFileA(self, exe.c_str(), FALSE);
        if (c.placed == FolderInTheWay)
            CreateDirectoryTree((exe + "\\").c_str());
        ProcessContext token(Wide(c.placed == InPlace ? exe : self), c.consent);
        g_refused = c.refused;
        std::strcpy(InstallFolder, typed.c_str());
        InstallScope = c.scope;
        const bool installed = c.told == 0 && (c.consent.empty() || c.consent.back() != 1);
        const bool machine = installed || (c.consent.size() && c.consent.back() == Run && c.refused == SettingsKey);
        CHECK(RunInstallerIfNeeded() == installed);
        CHECK((catcher.caught.size() == c.dialogs + (c.told != 0) && (c.told == 0 || catcher.CountOf(c.told) == 1)));
        std::string started;
        for (size_t i = 0; i < c.consent.size(); ++i)
            started += "runas " + std::string(self) + " /BrdlInstallAllUsers \"" + typed + "\"|";
        CHECK((token.started == started && Exists(exe) == (machine || c.placed)));
        const HKEY root = c.scope == ScopeCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const HKEY other = root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        CHECK_FALSE(KeyExists(other, "Software\\Microsoft"));
        CHECK((KeyExists(root, ToolbarButtonKey) == machine && KeyExists(root, UninstallKey) == machine));
        CHECK(DwordValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag") == (installed ? c.scope : ~0u));
        if (!installed)
            continue;
        CHECK(ReadBytes(exe) == ReadBytes(self));
        const std::string icons = dir + "\\brdl.exe,";
        const std::string values[][3] = {
            {ToolbarButtonKey, "ButtonText", "Brindle"}, {ToolbarButtonKey, "CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
            {ToolbarButtonKey, "Default Visible", "Yes"}, {ToolbarButtonKey, "Exec", exe},
            {ToolbarButtonKey, "HotIcon", icons + "3"}, {ToolbarButtonKey, "Icon", icons + "2"},
            {UninstallKey, "DisplayIcon", exe}, {UninstallKey, "DisplayName", "Brindle"},
            {UninstallKey, "UninstallString", "\"" + exe + "\" /u"}};
        DWORD type = 0;
        for (const auto& value : values)
            CHECK((RawValue(root, value[0].c_str(), value[1].c_str(), &type) == value[2] + '\0' && type == REG_SZ));
    }
}
