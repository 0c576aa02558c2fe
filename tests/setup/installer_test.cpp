// The installation, in a sandboxed registry and real folders; what Windows answers about access lists, links and
// short names comes from stand-ins.
#include "support/common.h"

#include <fstream>

#include "setup/elevation.h"
#include "setup/installer.h"
#include "setup/path_utils.h"
#include "support/file_answers.h"
#include "support/process_context.h"

namespace {

// Protected, and passed on to all below: what a folder the installer makes lets whom do.
constexpr char ForUser[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;USER)";
constexpr char ForAll[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// What Program Files passes on: TrustedInstaller, SYSTEM and Administrators change it, Users read it, whoever makes
// something below owns that.
constexpr char ProgramFiles[] = "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:"
                                "(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
                                "(A;OICIIO;GA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

enum Before { Nothing, Folder, OurProgram, OldProgram, FolderInTheWay };

struct Row {
    std::string name;
    DWORD scope = ScopeCurrentUser;
    size_t length = 0;   // of the typed folder; 0: "A\B" in a fresh folder
    bool slash = false;   // typed with its trailing backslash
    std::vector<int> consent = {};   // none: the rights are there
    bool limited = false;   // a limited token that asks no consent
    const char* refused = nullptr;   // the key that cannot be created
    Before before = Nothing;   // in the folder; an old program comes with an old toolbar key, "Exec" old
    const char* answerFor = nullptr;   // "A", "B" (the install folder) or "brdl.EXE": what Windows answers for it
    const char* answer = nullptr;   // an access list, or "junction"
    const char* typedName = "B";   // the install folder's own name
    const char* tempName = nullptr;   // the user's temporary folder's, in the fresh folder
    bool readOnlySource = false, shortNames = true;
    std::string outcome;   // message or "installed"; the file; the keys; InstFlag; prompts
    std::string made = "";   // the access list of the folders made, when any
};

} // namespace

TEST_CASE("an installation registers under its scope's root only, or leaves everything as it was")
{
    const std::string none = "told 121; file none; no keys; no flag";
    const Row rows[] = {
        {.name = "current user", .outcome = "installed; file ours; keys HKCU; flag 2", .made = ForUser},
        {.name = "all users", .scope = ScopeAllUsers, .outcome = "installed; file ours; keys HKLM; flag 1",
         .made = ForAll},
        {.name = "no room for the backslash", .length = MAX_PATH - 1, .outcome = none},
        {.name = "a destination of 260", .length = MAX_PATH - 9, .outcome = none},
        {.name = "a destination of 259, typed with its backslash", .scope = ScopeAllUsers, .length = MAX_PATH - 9,
         .slash = true, .outcome = "installed; file ours; keys HKLM; flag 1", .made = ForAll},
        {.name = "declined, then consented: opened again as the user left it", .scope = ScopeAllUsers,
         .consent = {Declined, Run}, .outcome = "installed; file ours; keys HKLM; flag 1; 2 prompts", .made = ForAll},
        {.name = "the copy failed and told the user", .scope = ScopeAllUsers, .consent = {CopyFailedAndTold},
         .outcome = "quiet; file none; no keys; no flag; 1 prompt"},
        {.name = "the copy did not start", .scope = ScopeAllUsers, .consent = {NotStarted},
         .outcome = none + "; 1 prompt"},
        {.name = "the copy crashed", .scope = ScopeAllUsers, .consent = {Crashed}, .outcome = none + "; 1 prompt"},
        {.name = "the copy undoes its own registration", .scope = ScopeAllUsers, .consent = {Run},
         .refused = UninstallKey, .outcome = "told 126; file none; no keys; no flag; 1 prompt", .made = ForAll},
        {.name = "the copy's part stays when InstFlag cannot be written", .scope = ScopeAllUsers, .consent = {Run},
         .refused = SettingsKey, .outcome = "told 126; file ours; keys HKLM; no flag; 1 prompt", .made = ForAll},
        {.name = "an old installation stays as it was", .refused = UninstallKey, .before = OldProgram,
         .outcome = "told 126; file old; toolbar HKCU, Exec old; no flag"},
        {.name = "the installed copy started by another user stays", .refused = ToolbarButtonKey,
         .before = OurProgram, .outcome = "told 126; file ours; no keys; no flag"},
        {.name = "InstFlag cannot be written", .refused = SettingsKey,
         .outcome = "told 126; file none; no keys; no flag", .made = ForUser},
        {.name = "a folder in the way", .before = FolderInTheWay, .outcome = "told 121; file folder; no keys; no flag"},
        {.name = "a folder that Program Files protects", .scope = ScopeAllUsers, .before = Folder, .answerFor = "B",
         .answer = ProgramFiles, .outcome = "installed; file ours; keys HKLM; flag 1"},
        {.name = "a folder that users may change", .scope = ScopeAllUsers, .before = Folder, .answerFor = "B",
         .answer = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)", .outcome = none},
        {.name = "a folder that users may add a file to", .before = Folder, .answerFor = "B",
         .answer = "O:SYD:(A;OICI;0x2;;;BU)", .outcome = none},
        {.name = "a folder above that another user owns", .before = Folder, .answerFor = "A",
         .answer = "O:S-1-5-21-1-2-3-1001D:(A;;FA;;;SY)", .outcome = none},
        {.name = "a folder without an access list", .before = Folder, .answerFor = "B", .answer = "O:BA",
         .outcome = none},
        {.name = "a junction", .before = Folder, .answerFor = "B", .answer = "junction", .outcome = none},
        {.name = "an old program that users may change", .before = OldProgram, .answerFor = "brdl.EXE",
         .answer = "O:BAD:(A;;FA;;;BU)", .outcome = "told 121; file old; toolbar HKCU, Exec old; no flag"},
        {.name = "a read-only source", .readOnlySource = true, .outcome = "installed; file ours; keys HKCU; flag 2",
         .made = ForUser},
        {.name = "a name the OEM code page has not, by its short name", .typedName = "S\u00e3o",
         .outcome = "installed; file ours; keys HKCU; flag 2", .made = ForUser},
        {.name = "a name the OEM code page has not, without short names", .typedName = "S\u00e3o",
         .shortNames = false, .outcome = none, .made = ForUser},
        {.name = "a temporary folder the OEM code page cannot name", .limited = true, .tempName = "Jo\u00e3o",
         .shortNames = false, .outcome = none, .made = ForUser},
    };
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (const Row& c : rows) {
        INFO(c.name);
        RegistrySandbox sandbox;
        MessageBoxCatcher catcher;
        catcher.dialogs[IDD_INSTALL] = IDOK;
        TestFolder folder;
        const std::string dir = folder.Sub(c.length ? std::string(c.length - c.slash - folder.path.size() - 1, 'L')
                                                    : "A\\" + std::string(c.typedName));
        const std::string exe = dir + "\\brdl.EXE", typed = dir + (c.slash ? "\\" : "");
        const HKEY root = c.scope == ScopeCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        CreateDirectoryTree(c.before == Nothing ? "" : c.before == FolderInTheWay ? (exe + "\\").c_str() : dir.c_str());
        std::string source = c.before == OurProgram && CopyFileA(self, exe.c_str(), FALSE) ? exe : self;
        if (c.before == OldProgram && std::ofstream(exe) << "old")
            RegSetKeyValueA(root, ToolbarButtonKey, "Exec", REG_SZ, "old", 4);
        if (c.readOnlySource && CopyFileA(self, (source = folder.Sub("source.exe")).c_str(), FALSE))
            SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.tempName && CreateDirectoryW(Wide(folder.Sub(c.tempName)).c_str(), nullptr))
            SetEnvironmentVariableW(L"TMP", Wide(folder.Sub(c.tempName)).c_str());
        WriteDword(HKEY_CURRENT_USER, SettingsKey, "Options", 8);   // a user who had settings, but no "InstFlag"
        ProcessContext token(Wide(source), c.consent, c.limited);
        token.refusedKey = c.refused;
        FileAnswers answers(c.answerFor, c.answer, c.shortNames);
        std::strcpy(InstallFolder, Ansi(typed).c_str());
        InstallScope = c.scope;

        const bool installed = RunInstallerIfNeeded();
        SetEnvironmentVariableW(L"TMP", nullptr);
        std::string outcome = installed ? "installed" : catcher.Shown().empty() ? "quiet" : "told " + catcher.Shown();
        const DWORD attributes = GetFileAttributesW(Wide(exe).c_str());
        const std::string bytes = ReadBytes(exe);
        outcome += attributes == INVALID_FILE_ATTRIBUTES     ? "; file none"
                   : attributes & FILE_ATTRIBUTE_DIRECTORY   ? "; file folder"
                   : attributes & FILE_ATTRIBUTE_READONLY    ? "; file read-only"
                   : bytes == "old"                          ? "; file old"
                   : bytes == ReadBytes(self)                ? "; file ours" : "; file other";
        outcome += Exists(dir + "\\brdl.NEW") ? ", staged copy left" : "";
        const auto roots = [](const char* key) {   // 1 HKCU, 2 HKLM
            return KeyExists(HKEY_CURRENT_USER, key) + 2 * KeyExists(HKEY_LOCAL_MACHINE, key);
        };
        const int toolbar = roots(ToolbarButtonKey), entry = roots(UninstallKey);
        const std::string in[] = {"none", "HKCU", "HKLM", "both"};
        outcome += toolbar == entry ? (entry ? "; keys " + in[entry] : "; no keys")
                                    : "; toolbar " + in[toolbar] + (entry ? ", entry " + in[entry] : "");
        outcome += RawValue(root, ToolbarButtonKey, "Exec") == std::string("old", 4) ? ", Exec old" : "";
        const DWORD flag = DwordValue(HKEY_CURRENT_USER, SettingsKey, "InstFlag");
        outcome += flag == ~0u ? "; no flag" : "; flag " + std::to_string(flag);
        const size_t prompts = std::count(token.started.begin(), token.started.end(), '|');
        outcome += prompts == 0 ? "" : "; " + std::to_string(prompts) + (prompts > 1 ? " prompts" : " prompt");
        CHECK(outcome == c.outcome);
        CHECK(answers.madeWith == c.made);
        CHECK_FALSE(token.copyUsedUserKeys);   // the consent copy's user may be another account
        if (prompts)   // each the same: the copy reads its folder in it
            CHECK(token.started.substr(0, token.started.find('|')) == "runas " + source + " install into " + typed);
        if (!installed)
            continue;
        const std::string icons = dir + "\\brdl.exe,";
        const std::string values[][3] = {
            {ToolbarButtonKey, "ButtonText", "Brindle"}, {ToolbarButtonKey, "Default Visible", "Yes"},
            {ToolbarButtonKey, "CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"}, {ToolbarButtonKey, "Exec", exe},
            {ToolbarButtonKey, "HotIcon", icons + "3"}, {ToolbarButtonKey, "Icon", icons + "2"},
            {UninstallKey, "DisplayIcon", exe}, {UninstallKey, "DisplayName", "Brindle"},
            {UninstallKey, "UninstallString", "\"" + exe + "\" /u"}};
        for (const auto& value : values) {
            DWORD type = 0;
            CHECK(RawValue(root, value[0].c_str(), value[1].c_str(), &type) == Ansi(value[2]) + '\0');
            CHECK(type == REG_SZ);
        }
    }
}
