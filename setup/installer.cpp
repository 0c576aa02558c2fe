#include "setup/installer.h"

#include <shlobj.h>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "setup/elevation.h"
#include "setup/folder_access.h"
#include "setup/path_utils.h"
#include "setup/uninstaller.h"

// Mutable: what the install dialog chose, for the rest of the process.
DWORD InstallScope;
char InstallFolder[MAX_PATH];

namespace {

constexpr char InstallFlagValue[] = "InstFlag";
// The copy's name until the installation has worked; as long as the installed one's.
constexpr char StagedFileName[] = "brdl.NEW";
static_assert(sizeof StagedFileName == sizeof InstalledFileName, "the staged path fits where the installed one does");
// Where a downloaded file carries its mark of the web.
constexpr char ZoneMarkStream[] = ":Zone.Identifier";
constexpr wchar_t FallbackProgramFolder[] = L"C:\\Program Files";
constexpr wchar_t BrowseTitle[] = L"Select folder to install to:";

// What the consent prompt answered when OK needed one for all users; asked while the
// dialog is still in front, since a prompt with no window in the foreground only flashes.
bool ConsentAsked;
ElevatedRun Consent;

// The running executable's path; afterwards each registry text in turn.
constexpr DWORD WorkBufferSize = 780;

// The toolbar's icon values spell the file name in lower case, as they always have.
struct LowerCaseName {
    char text[sizeof InstalledFileName];
};
constexpr LowerCaseName LowerCase(const char (&name)[sizeof InstalledFileName])
{
    LowerCaseName lower = {};
    for (std::size_t i = 0; i < sizeof InstalledFileName; ++i)
        lower.text[i] = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
    return lower;
}
constexpr LowerCaseName IconFileName = LowerCase(InstalledFileName);

// A REG_SZ value: format, filled with as much as it asks for, in this order: the
// install folder, the installed file's name (lower case for the icons) and, for
// the toolbar button's icons, the executable's icon resource named.
struct TextValue {
    const char* name;
    const char* format;
    int icon = 0;
};

constexpr TextValue ToolbarButtonValues[] = {
    {"ButtonText", ProductTitle},
    {"CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
    {"Default Visible", "Yes"},
    {"Exec", "%s%s"},
    {"HotIcon", "%s%s,%d", IDI_TOOLBAR_HOT},
    {"Icon", "%s%s,%d", IDI_TOOLBAR_NORMAL},
};

constexpr TextValue UninstallValues[] = {
    {"DisplayIcon", "%s%s"},
    {"DisplayName", ProductTitle},
    {"UninstallString", "\"%s%s\" /u"},
};

// The longest text is the uninstall command around a folder of MAX_PATH bytes;
// wsprintfA writes at most 1024.
constexpr std::size_t LongestText = MAX_PATH + sizeof InstalledFileName + sizeof "\"\" /u";
static_assert(LongestText <= 1024 && LongestText <= WorkBufferSize, "registry texts fit wsprintfA and the work buffer");

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

// A value as it was before the registration wrote it.
struct PriorValue {
    const char* name;
    bool existed;
    DWORD type;
    DWORD size;
    HeapBuffer data;
};

// A key as the registration found it: created by it, or there before with the values
// it held. A failed registration puts back just that.
struct PriorKey {
    HKEY root;
    const char* subKey;
    bool created;
    int count;
    PriorValue values[std::size(ToolbarButtonValues)];
};

struct PriorRegistry {
    int count;
    PriorKey keys[3];   // the toolbar button, "InstFlag"'s key, the uninstall entry
};

// Opens subKey for writing and records how it was found; false when it cannot be.
bool OpenForWriting(PriorRegistry* prior, HKEY root, const char* subKey, UniqueKey* key)
{
    HKEY opened;
    DWORD disposition;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &opened,
                        &disposition) != ERROR_SUCCESS)
        return false;
    key->reset(opened);
    prior->keys[prior->count++] = {root, subKey, disposition == REG_CREATED_NEW_KEY, 0, {}};
    return true;
}

// Writes a value of the key opened last, having kept what it held; a value that cannot
// be kept is not written.
bool WriteValue(PriorRegistry* prior, HKEY key, const char* name, DWORD type, const void* data, DWORD size)
{
    PriorKey& found = prior->keys[prior->count - 1];
    PriorValue& old = found.values[found.count++];
    old = {name, false, REG_NONE, 0, nullptr};
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &old.size) == ERROR_SUCCESS) {
        old.existed = true;
        old.data = AllocateBuffer(old.size + 1);
        if (!old.data || RegQueryValueExA(key, name, nullptr, &old.type, reinterpret_cast<BYTE*>(old.data.get()),
                                          &old.size) != ERROR_SUCCESS) {
            --found.count;   // not written, so nothing to put back
            return false;
        }
    }
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// Puts back what the registration changed, last first: a key it created goes, with
// all it holds; a key that was there keeps what it held before.
void RestoreRegistry(const PriorRegistry& prior)
{
    for (int k = prior.count; k-- > 0;) {
        const PriorKey& found = prior.keys[k];
        HKEY opened;
        if (found.created) {
            DeleteKeyTree(found.root, found.subKey);
        } else if (RegOpenKeyExA(found.root, found.subKey, 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
            const UniqueKey key(opened);
            for (int v = found.count; v-- > 0;) {
                const PriorValue& old = found.values[v];
                if (old.existed)
                    RegSetValueExA(key.get(), old.name, 0, old.type, reinterpret_cast<const BYTE*>(old.data.get()),
                                   old.size);
                else
                    RegDeleteValueA(key.get(), old.name);
            }
        }
    }
}

// False at the first key or value that cannot be written.
template <std::size_t N>
bool WriteTextValues(PriorRegistry* prior, HKEY root, const char* subKey, const TextValue (&values)[N], char* text)
{
    UniqueKey key;
    if (!OpenForWriting(prior, root, subKey, &key))
        return false;
    for (const TextValue& value : values) {
        const int length = wsprintfA(text, value.format, InstallFolder,
                                     value.icon ? IconFileName.text : InstalledFileName, value.icon);
        if (!WriteValue(prior, key.get(), value.name, REG_SZ, text, length + 1))
            return false;
    }
    return true;
}

bool WriteInstallFlag(PriorRegistry* prior)
{
    UniqueKey key;
    return OpenForWriting(prior, HKEY_CURRENT_USER, SettingsKey, &key) &&
           WriteValue(prior, key.get(), InstallFlagValue, REG_DWORD, &InstallScope, sizeof InstallScope);
}

// "InstFlag" is written only for the user who installs: the copy run through the
// consent prompt may be another account, whose settings are not this user's.
bool RegisterInstallation(char* text, bool forThisUser, PriorRegistry* prior)
{
    const HKEY root = ScopeRoot(InstallScope);
    return WriteTextValues(prior, root, ToolbarButtonKey, ToolbarButtonValues, text) &&
           (!forThisUser || WriteInstallFlag(prior)) &&
           WriteTextValues(prior, root, UninstallKey, UninstallValues, text);
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
    ConsentAsked = exact && !currentUser && !CanWriteMachineKeys();
    if (ConsentAsked) {
        EnableWindow(dialog, FALSE);   // no second OK while the prompt and the copy run
        Consent = RunElevated(InstallFolder, dialog);
    }
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

FolderAccess ScopeAccess()
{
    return InstallScope == ScopeCurrentUser ? FolderAccess::CurrentUser : FolderAccess::AllUsers;
}

bool OnlyScopeMayChange(const char* path)
{
    return OnlyTrustedMayChange(path, ScopeAccess());
}

// The install folder, made by the installer with an access list of the scope's, or
// there before, and changed by no one else; the same for a file of ours already in it.
// A folder that others may change would let them swap what every user runs. firstMade:
// the length of the outermost folder made, 0 when none was.
bool PrepareInstallFolder(const char* destination, std::size_t* firstMade)
{
    *firstMade = 0;
    const LocalSecurity access = MakeFolderSecurity(ScopeAccess());
    SECURITY_ATTRIBUTES security = {sizeof security, access.get(), FALSE};
    return access && CreateDirectoryTree(InstallFolder, &security, OnlyScopeMayChange, firstMade) &&
           (GetFileAttributesA(destination) == INVALID_FILE_ATTRIBUTES || OnlyScopeMayChange(destination));
}

// A failed installation takes away the folders it made, deepest first; only empty ones go.
void RemoveMadeFolders(std::size_t firstMade)
{
    char folder[MAX_PATH];
    std::strcpy(folder, InstallFolder);
    for (char* last; firstMade != 0 && (last = const_cast<char*>(FindLastBackslash(folder))); *last = '\0')
        if (last[1] != '\0' && std::strlen(folder) >= firstMade)   // not the trailing backslash
            RemoveDirectoryA(folder);
}

// The staged copy takes the installed file's name, a read-only file there before included;
// one that stays keeps its attribute.
bool MoveIntoPlace(const char* staged, const char* destination)
{
    const DWORD attributes = GetFileAttributesA(destination);
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (MoveFileExA(staged, destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (readOnly)
        SetFileAttributesA(destination, attributes);
    return false;
}

// Copies the running executable into InstallFolder and writes the registry entries
// for InstallScope, "InstFlag" only when forThisUser; false after telling the user,
// with the folder's file and the keys as they were.
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
    // The work buffer holds the source until it takes each registry text.
    char* source = work.get();
    char destination[MAX_PATH];
    std::strcpy(destination, InstallFolder);
    if (!GetExecutablePath(source, WorkBufferSize) || !AppendPathComponent(destination, MAX_PATH, InstalledFileName))
        return FailCopy();
    // Whatever is installed, "/u" must be able to remove.
    std::size_t firstMade;
    if (!PrepareInstallFolder(destination, &firstMade) || !CanNameForRemoval(InstallFolder))
        return RemoveMadeFolders(firstMade), FailCopy();

    // Copied under another name, never read-only: a file there before stays as it was
    // until everything else has worked. The installed copy started by another user
    // is in place already.
    char staged[MAX_PATH];
    wsprintfA(staged, "%s%s", InstallFolder, StagedFileName);
    const bool copies = !IsSameFile(source, destination);
    if (copies && (!CopyFileA(source, staged, FALSE) || !SetFileAttributesA(staged, FILE_ATTRIBUTE_NORMAL))) {
        DeleteFileA(staged);
        return RemoveMadeFolders(firstMade), FailCopy();
    }
    // A copy takes the download's mark along, which would have Windows warn at every
    // start of the installed program; a volume without streams has none to delete.
    char mark[MAX_PATH + sizeof ZoneMarkStream];
    wsprintfA(mark, "%s%s", staged, ZoneMarkStream);
    if (copies)
        DeleteFileA(mark);
    PriorRegistry prior = {};
    const bool registered = RegisterInstallation(work.get(), forThisUser, &prior);
    if (registered && (!copies || MoveIntoPlace(staged, destination)))
        return true;
    RestoreRegistry(prior);
    if (copies)
        DeleteFileA(staged);
    RemoveMadeFolders(firstMade);
    if (registered)
        return FailCopy();
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
        if (!ConsentAsked)
            return InstallProgram(true);
        switch (Consent) {
        case ElevatedRun::Declined:
            continue;
        case ElevatedRun::Failed:
            return false;   // the copy told the user
        case ElevatedRun::Untold:
            return FailCopy();
        case ElevatedRun::Succeeded: {
            PriorRegistry prior = {};
            if (WriteInstallFlag(&prior))
                return true;
            ShowWarning(nullptr, IDS_REGISTER_FAILED);
            return false;
        }
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
