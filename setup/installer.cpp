#include "setup/installer.h"

#include <shlobj.h>
#include <cstring>

#include "app/brindle.h"
#include "app/handles.h"
#include "app/resource.h"
#include "setup/path_utils.h"

DWORD InstallScope;
char InstallFolder[MAX_PATH];

namespace {

constexpr char InstallFlagValue[] = "InstFlag";
constexpr char FallbackProgramFolder[] = "C:\\Program Files";
constexpr wchar_t BrowseTitle[] = L"Select folder to install to:";
constexpr UINT WarningBox = MB_OK | MB_ICONEXCLAMATION;

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

bool ReadFileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const BOOL read = GetFileInformationByHandle(file, identity);
    CloseHandle(file);
    return read != FALSE;
}

// Volume and file index name a file whatever the spelling (case, short names, links).
bool IsSameFile(const char* first, const char* second)
{
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return ReadFileIdentity(first, &a) && ReadFileIdentity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

int FailCopy()
{
    ShowMessage(nullptr, IDS_COPY_FAILED, WarningBox);
    return 0;
}

// Failures are not examined: a key that cannot be created gets no values.
template <std::size_t N>
void WriteTextValues(HKEY root, const char* subKey, const TextValue (&values)[N], char* text)
{
    HKEY created;
    if (RegCreateKeyA(root, subKey, &created) != ERROR_SUCCESS)
        return;
    UniqueKey key(created);
    for (const TextValue& value : values) {
        const int length = wsprintfA(text, value.format, value.argument);
        RegSetValueExA(key.get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length + 1);
    }
}

void WriteInstallFlag()
{
    HKEY created;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SettingsKey, &created) != ERROR_SUCCESS)
        return;
    UniqueKey key(created);
    RegSetValueExA(key.get(), InstallFlagValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&InstallScope),
                   sizeof InstallScope);
}

void RegisterInstallation(char* text)
{
    const HKEY root = ScopeRoot(InstallScope);
    WriteTextValues(root, ToolbarButtonKey, ToolbarButtonValues, text);
    WriteInstallFlag();
    WriteTextValues(root, UninstallKey, UninstallValues, text);
}

// A program-files folder too long for "\BRDL" counts as not found.
void FillDefaultFolder(HWND dialog)
{
    if (SHGetSpecialFolderPathA(dialog, InstallFolder, CSIDL_PROGRAM_FILES, FALSE) &&
        AppendPathComponent(InstallFolder, sizeof InstallFolder, ProductShortName))
        return;
    std::strcpy(InstallFolder, FallbackProgramFolder);
    AppendPathComponent(InstallFolder, sizeof InstallFolder, ProductShortName);
}

void InitInstallDialog(HWND dialog)
{
    FillDefaultFolder(dialog);
    SetDlgItemTextA(dialog, IDC_FOLDER, InstallFolder);
    SendDlgItemMessageA(dialog, IDC_ALL_USERS, BM_SETCHECK, BST_CHECKED, 0);
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
            ShowMessage(dialog, IDS_NO_FOLDER, WarningBox);
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
    }
}

} // namespace

DWORD ReadInstallScope()
{
    DWORD scope = 0;
    return ReadInstallFlag(&scope) ? scope : 0;
}

int RunInstallerIfNeeded()
{
    // Any readable "InstFlag", 0 included, means installed.
    DWORD flag;
    if (ReadInstallFlag(&flag))
        return 1;
    // A wide dialog: its edit keeps every character typed or browsed, so that a name
    // the 8-bit API could reach only through a look-alike is seen and refused.
    const INT_PTR result = DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_INSTALL), nullptr, InstallDlgProc, 0);
    if (result == IDABORT)
        return FailCopy();
    return result == IDOK ? InstallProgram() : 0;
}

int InstallProgram()
{
    // A folder without room for its backslash, or for the file name below, cannot
    // hold the copy: refused before any folder is created.
    if (!EnsureTrailingBackslash(InstallFolder, sizeof InstallFolder))
        return FailCopy();
    HeapBuffer work = AllocateBuffer(WorkBufferSize);
    if (!work) {
        ShowMessage(nullptr, IDS_OUT_OF_MEMORY, WarningBox);
        return 0;
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
    if (!IsSameFile(source, destination) && !CopyFileA(source, destination, FALSE))
        return FailCopy();
    RegisterInstallation(work.get());
    return 1;
}

INT_PTR CALLBACK InstallDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitInstallDialog(dialog);
        return TRUE;   // the focus goes to the first tab stop, the edit
    case WM_COMMAND:
        OnInstallCommand(dialog, LOWORD(wParam));
        return FALSE;
    }
    return FALSE;
}

int CALLBACK BrowseFolderCallback(HWND browser, UINT message, LPARAM, LPARAM data)
{
    const wchar_t* folder = reinterpret_cast<const wchar_t*>(data);
    if (message == BFFM_INITIALIZED && folder && folder[0] != L'\0')
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}
