#include "setup/installer.h"

#include <shlobj.h>
#include <cstring>
#include <cwchar>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "setup/elevation.h"
#include "setup/path_utils.h"

// Mutable: what the install dialog chose, for the rest of the process.
DWORD InstallScope;
char InstallFolder[MAX_PATH];

namespace {

constexpr char InstallFlagValue[] = "InstFlag";
constexpr wchar_t FallbackProgramFolder[] = L"C:\\Program Files";
constexpr wchar_t BrowseTitle[] = L"Select folder to install to:";

// The running executable's path, then the destination path right behind it;
// afterwards each registry text in turn.
constexpr DWORD WorkBufferSize = 780;
// The source may take what a destination of MAX_PATH bytes leaves.
constexpr DWORD SourcePathRoom = WorkBufferSize - MAX_PATH;

// A REG_SZ value: format with at most one %s, filled with argument.
struct TextValue {
    const char* name;
    const char* format;
    const char* argument;
};

constexpr TextValue ToolbarButtonValues[] = {
    {"ButtonText", "%s", ProductTitle},
    {"CLSID", "%s", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
    {"Default Visible", "%s", "Yes"},
    {"Exec", "%sbrdl.EXE", InstallFolder},
    {"HotIcon", "%sbrdl.exe,3", InstallFolder},
    {"Icon", "%sbrdl.exe,2", InstallFolder},
};

constexpr TextValue UninstallValues[] = {
    {"DisplayIcon", "%sbrdl.EXE", InstallFolder},
    {"DisplayName", "%s", ProductTitle},
    {"UninstallString", "\"%sbrdl.EXE\" /u", InstallFolder},
};

// The longest text is the uninstall command around a folder of MAX_PATH bytes;
// wsprintfA writes at most 1024.
static_assert(sizeof "\"brdl.EXE\" /u" + MAX_PATH <= 1024, "registry texts fit wsprintfA");
static_assert(sizeof "\"brdl.EXE\" /u" + MAX_PATH <= WorkBufferSize, "registry texts fit the work buffer");

// Reads "InstFlag" into 4 bytes, whatever its type; false when it cannot.
bool ReadInstallFlag(DWORD* flag)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    UniqueKey key(opened);
    DWORD size = sizeof *flag;
    return RegQueryValueExA(key.get(), InstallFlagValue, nullptr, nullptr, reinterpret_cast<BYTE*>(flag),
                            &size) == ERROR_SUCCESS;
}

bool FailCopy()
{
    ShowWarning(nullptr, IDS_COPY_FAILED);
    return false;
}

// False at the first key or value that cannot be written.
template <std::size_t N>
bool WriteTextValues(HKEY root, const char* subKey, const TextValue (&values)[N], char* text)
{
    HKEY created;
    if (RegCreateKeyA(root, subKey, &created) != ERROR_SUCCESS)
        return false;
    UniqueKey key(created);
    for (const TextValue& value : values) {
        const int length = wsprintfA(text, value.format, value.argument);
        if (RegSetValueExA(key.get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length + 1) !=
            ERROR_SUCCESS)
            return false;
    }
    return true;
}

bool WriteInstallFlag()
{
    HKEY created;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SettingsKey, &created) != ERROR_SUCCESS)
        return false;
    UniqueKey key(created);
    return RegSetValueExA(key.get(), InstallFlagValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&InstallScope),
                          sizeof InstallScope) == ERROR_SUCCESS;
}

// "InstFlag" is written only for the user who installs: the copy run through the
// consent prompt may be another account, whose settings are not this user's.
bool RegisterInstallation(char* text, bool forThisUser)
{
    const HKEY root = ScopeRoot(InstallScope);
    return WriteTextValues(root, ToolbarButtonKey, ToolbarButtonValues, text) &&
           (!forThisUser || WriteInstallFlag()) && WriteTextValues(root, UninstallKey, UninstallValues, text);
}

// What a failed registration may have written: the next start offers the installer again.
void UnregisterInstallation()
{
    const HKEY root = ScopeRoot(InstallScope);
    RegDeleteTreeA(root, ToolbarButtonKey);
    RegDeleteKeyA(root, UninstallKey);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, SettingsKey, InstallFlagValue);
}

// folder, a backslash unless it ends in one, and name, within MAX_PATH characters.
bool AppendWide(wchar_t* folder, const wchar_t* name)
{
    const std::size_t length = std::wcslen(folder);
    const bool slash = length > 0 && folder[length - 1] != L'\\';
    if (length + slash + std::wcslen(name) >= MAX_PATH)
        return false;
    if (slash)
        folder[length] = L'\\';
    std::wcscpy(folder + length + slash, name);
    return true;
}

// The folder the dialog offers for a scope: "BRDL" in the program-files folder for
// all users; for the current user, the per-user programs folder, where Windows puts
// programs that need no rights. False when the platform gives none that fits.
bool DefaultFolder(DWORD scope, wchar_t (&folder)[MAX_PATH])
{
    if (scope == ScopeCurrentUser)
        return SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE) &&
               AppendWide(folder, L"Programs\\BRDL");
    if (SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE) && AppendWide(folder, L"BRDL"))
        return true;
    std::wcscpy(folder, FallbackProgramFolder);
    return AppendWide(folder, L"BRDL");
}

// Opened again after a declined consent prompt: as the user left it.
void InitInstallDialog(HWND dialog, bool again)
{
    wchar_t folder[MAX_PATH];
    if (again) {
        SetDlgItemTextA(dialog, IDC_FOLDER, InstallFolder);
    } else {
        InstallScope = ScopeAllUsers;
        DefaultFolder(ScopeAllUsers, folder);
        SetDlgItemTextW(dialog, IDC_FOLDER, folder);
    }
    SendDlgItemMessageA(dialog, InstallScope == ScopeCurrentUser ? IDC_CURRENT_USER : IDC_ALL_USERS, BM_SETCHECK,
                        BST_CHECKED, 0);
}

// While the folder reads the default the dialog put there for the other scope, it
// follows the scope chosen; a folder the user typed or browsed stays.
void FollowScope(HWND dialog, DWORD scope)
{
    wchar_t shown[MAX_PATH];
    wchar_t other[MAX_PATH];
    wchar_t chosen[MAX_PATH];
    GetDlgItemTextW(dialog, IDC_FOLDER, shown, MAX_PATH);
    if (DefaultFolder(scope == ScopeCurrentUser ? ScopeAllUsers : ScopeCurrentUser, other) &&
        lstrcmpW(shown, other) == 0 && DefaultFolder(scope, chosen))
        SetDlgItemTextW(dialog, IDC_FOLDER, chosen);
}

// The trimmed text stays in InstallFolder only; the edit keeps what was typed. A
// folder the 8-bit API reaches only through a look-alike ends the dialog with
// IDABORT, a failed copy.
void AcceptInstallDialog(HWND dialog)
{
    wchar_t typed[MAX_PATH];
    GetDlgItemTextW(dialog, IDC_FOLDER, typed, MAX_PATH);
    const bool exact = ConvertExactly(typed, CP_ACP, InstallFolder, sizeof InstallFolder);
    if (exact) {
        TrimWhiteSpace(InstallFolder);
        // Blank, or relative to wherever the program was started.
        if (!IsFullPath(InstallFolder)) {
            ShowWarning(dialog, IDS_NO_FOLDER);
            return;
        }
    }
    const bool currentUser = SendDlgItemMessageA(dialog, IDC_CURRENT_USER, BM_GETCHECK, 0, 0) == BST_CHECKED;
    InstallScope = currentUser ? ScopeCurrentUser : ScopeAllUsers;
    EndDialog(dialog, exact ? IDOK : IDABORT);
}

struct ItemListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

// The folder browser's callback: preselects the folder text given as data.
int CALLBACK BrowseFolderCallback(HWND browser, UINT message, LPARAM, LPARAM data)
{
    const wchar_t* folder = reinterpret_cast<const wchar_t*>(data);
    if (message == BFFM_INITIALIZED && folder && folder[0] != L'\0')
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// Wide, like the dialog: the chosen folder's name reaches the edit as it is, and OK
// tells whether the 8-bit API can name it.
void BrowseForInstallFolder(HWND dialog)
{
    wchar_t folder[MAX_PATH];
    GetDlgItemTextW(dialog, IDC_FOLDER, folder, MAX_PATH);
    BROWSEINFOW browse = {};
    browse.hwndOwner = dialog;
    browse.pszDisplayName = folder;
    browse.lpszTitle = BrowseTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseFolderCallback;
    browse.lParam = reinterpret_cast<LPARAM>(folder);
    std::unique_ptr<ITEMIDLIST, ItemListFree> chosen(SHBrowseForFolderW(&browse));
    if (chosen && SHGetPathFromIDListW(chosen.get(), folder))
        SetDlgItemTextW(dialog, IDC_FOLDER, folder);
}

void OnInstallCommand(HWND dialog, WORD id)
{
    switch (id) {
    case IDOK:
        AcceptInstallDialog(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_BROWSE:
        BrowseForInstallFolder(dialog);
        break;
    case IDC_ALL_USERS:
        FollowScope(dialog, ScopeAllUsers);
        break;
    case IDC_CURRENT_USER:
        FollowScope(dialog, ScopeCurrentUser);
        break;
    }
}

INT_PTR CALLBACK InstallDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitInstallDialog(dialog, lParam != FALSE);
        return TRUE;   // the focus goes to the first tab stop, the edit
    case WM_COMMAND:
        OnInstallCommand(dialog, LOWORD(wParam));
        return FALSE;
    }
    return FALSE;
}

// The folder's installation done by a copy of this executable run through the
// consent prompt, which may write the machine's keys.
ElevatedRun InstallThroughConsent()
{
    char parameters[sizeof InstallSwitch + MAX_PATH + 3];
    wsprintfA(parameters, "%s \"%s\"", InstallSwitch, InstallFolder);
    return RunElevated(parameters);
}

// Copies the running executable into InstallFolder and writes the registry entries
// for InstallScope, "InstFlag" only when forThisUser; false after telling the user,
// with nothing registered and no file of its own left.
bool InstallProgram(bool forThisUser)
{
    // A folder without room for its backslash, or for the file name below, cannot
    // hold the copy: refused before any folder is created.
    if (!EnsureTrailingBackslash(InstallFolder, sizeof InstallFolder))
        return FailCopy();
    HeapBuffer work = AllocateBuffer(WorkBufferSize);
    if (!work) {
        ShowWarning(nullptr, IDS_OUT_OF_MEMORY);
        return false;
    }
    char* source = work.get();
    if (!GetExecutablePath(source, SourcePathRoom))
        return FailCopy();
    char* destination = source + std::strlen(source) + 1;
    std::strcpy(destination, InstallFolder);
    if (!AppendPathComponent(destination, MAX_PATH, InstalledFileName))
        return FailCopy();

    // A folder that cannot be created shows up as a failed copy.
    CreateDirectoryTree(InstallFolder);
    // The installed copy started by another user: its file is already in place.
    const bool copies = !IsSameFile(source, destination);
    if (copies && !CopyFileA(source, destination, FALSE))
        return FailCopy();
    if (RegisterInstallation(work.get(), forThisUser))
        return true;
    // A registration that fails is a failed installation, with nothing of it left
    // but the folders; a file that was in place before stays.
    UnregisterInstallation();
    if (copies) {
        wsprintfA(work.get(), "%s%s", InstallFolder, InstalledFileName);
        DeleteFileA(work.get());
    }
    ShowWarning(nullptr, IDS_REGISTER_FAILED);
    return false;
}

} // namespace

DWORD ReadInstallScope()
{
    DWORD scope = 0;
    return ReadInstallFlag(&scope) ? scope : 0;
}

bool RunInstallerIfNeeded()
{
    // Any readable "InstFlag", 0 included, means installed.
    DWORD flag;
    if (ReadInstallFlag(&flag))
        return true;
    for (LPARAM again = FALSE;; again = TRUE) {
        // A wide dialog: its edit keeps every character typed or browsed, so that a
        // name the 8-bit API could reach only through a look-alike is seen and refused.
        const INT_PTR result = DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_INSTALL), nullptr, InstallDlgProc,
                                               again);
        if (result == IDABORT)
            return FailCopy();
        if (result != IDOK)
            return false;
        if (InstallScope == ScopeCurrentUser || CanWriteMachineKeys())
            return InstallProgram(true);
        switch (InstallThroughConsent()) {
        case ElevatedRun::Declined:
            continue;
        case ElevatedRun::Failed:
            return false;   // the copy told the user
        case ElevatedRun::NotStarted:
            return FailCopy();
        case ElevatedRun::Succeeded:
            if (WriteInstallFlag())
                return true;
            ShowWarning(nullptr, IDS_REGISTER_FAILED);
            return false;
        }
    }
}

bool InstallForAllUsers(const char* folder)
{
    // A folder that would not pass the dialog fails like any copy.
    if (std::strlen(folder) >= sizeof InstallFolder || !IsFullPath(folder))
        return FailCopy();
    std::strcpy(InstallFolder, folder);
    InstallScope = ScopeAllUsers;
    return InstallProgram(false);
}
