// The registry keys and files that Brindle's installation consists of, read and
// reset by the driver from outside the program.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace e2e {

constexpr char kSettingsKey[] = "Software\\Talvane\\BRDL";
constexpr char kTalvaneKey[] = "Software\\Talvane";
constexpr char kToolbarKey[] =
    "Software\\Microsoft\\Internet Explorer\\Extensions\\{6C0E52A4-1B7D-4F38-9E21-A5D3C7B1E904}";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BRDL";

// ---- registry -------------------------------------------------------------

struct RegValue {
    std::string name;
    DWORD type;
    std::string data;   // raw bytes, as stored
};

// A key with everything below it, or a key that does not exist.
struct RegTree {
    bool exists = false;
    std::vector<RegValue> values;
    std::vector<std::pair<std::string, RegTree>> subkeys;

    static RegTree Read(HKEY root, const char* path);
    // Replaces whatever is at path with this tree (or with nothing).
    void Write(HKEY root, const char* path) const;
    // One line per key and value, in a fixed order: equal texts, equal trees.
    std::string Dump() const;
};

// The keys the program may write: the settings key's parent, and the toolbar
// button and uninstall keys under both roots.
struct OwnedKey {
    HKEY root;
    const char* path;
    const char* label;
};
extern const OwnedKey kOwnedKeys[5];

// A text listing every owned key's content, to compare states before and after.
std::string DumpOwnedKeys();
void DeleteOwnedKeys();

bool KeyExists(HKEY root, const char* path);
bool ReadRawValue(HKEY root, const char* path, const char* name, DWORD* type, std::string* data);
std::vector<std::string> ValueNames(HKEY root, const char* path);   // sorted
std::vector<std::string> SubkeyNames(HKEY root, const char* path);  // sorted
void DeleteKey(HKEY root, const char* path);  // with everything below it
void SetDword(HKEY root, const char* path, const char* name, DWORD value);
void SetString(HKEY root, const char* path, const char* name, const std::string& value);

// ---- files ----------------------------------------------------------------

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
bool PathExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void CreateFolder(const std::string& path);  // with any missing parents
void RemoveTree(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& path);  // sorted, without . and ..

std::string Join(const std::vector<std::string>& items);

} // namespace e2e
