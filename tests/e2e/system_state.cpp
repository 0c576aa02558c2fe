#include "e2e/system_state.h"

#include <algorithm>
#include <cstdio>

#include "e2e/harness.h"

namespace e2e {

const OwnedKey kOwnedKeys[5] = {
    {HKEY_CURRENT_USER, kTalvaneKey, "HKCU\\Software\\Talvane"},
    {HKEY_CURRENT_USER, kToolbarKey, "HKCU toolbar button"},
    {HKEY_CURRENT_USER, kUninstallKey, "HKCU uninstall entry"},
    {HKEY_LOCAL_MACHINE, kToolbarKey, "HKLM toolbar button"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "HKLM uninstall entry"},
};

namespace {

class Key {
public:
    Key(HKEY root, const char* path, REGSAM access)
    {
        if (RegOpenKeyExA(root, path, 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key()
    {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

void DumpTree(const RegTree& tree, const std::string& indent, std::string* out)
{
    for (const RegValue& value : tree.values) {
        char type[16];
        std::snprintf(type, sizeof type, "%lu", static_cast<unsigned long>(value.type));
        *out += indent + Printable(value.name) + " type " + type + " = " + Printable(value.data) + "\n";
    }
    for (const auto& subkey : tree.subkeys) {
        *out += indent + "[" + subkey.first + "]\n";
        DumpTree(subkey.second, indent + "  ", out);
    }
}

} // namespace

RegTree RegTree::Read(HKEY root, const char* path)
{
    RegTree tree;
    Key key(root, path, KEY_READ);
    if (!key)
        return tree;
    tree.exists = true;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        DWORD dataSize = 0;
        if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS)
            break;
        RegValue value{name, type, std::string(dataSize, '\0')};
        if (dataSize)
            RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value.data[0]), &dataSize);
        value.data.resize(dataSize);
        tree.values.push_back(value);
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        tree.subkeys.emplace_back(name, Read(key.get(), name));
    }
    std::sort(tree.values.begin(), tree.values.end(),
              [](const RegValue& a, const RegValue& b) { return lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0; });
    std::sort(tree.subkeys.begin(), tree.subkeys.end(),
              [](const auto& a, const auto& b) { return lstrcmpiA(a.first.c_str(), b.first.c_str()) < 0; });
    return tree;
}

void RegTree::Write(HKEY root, const char* path) const
{
    DeleteKey(root, path);
    if (!exists)
        return;
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const RegValue& value : values)
        RegSetValueExA(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    for (const auto& subkey : subkeys)
        subkey.second.Write(key, subkey.first.c_str());
    RegCloseKey(key);
}

std::string RegTree::Dump() const
{
    if (!exists)
        return "(absent)\n";
    std::string out;
    DumpTree(*this, "  ", &out);
    return out;
}

std::string DumpOwnedKeys()
{
    std::string out;
    for (const OwnedKey& owned : kOwnedKeys)
        out += std::string(owned.label) + ":\n" + RegTree::Read(owned.root, owned.path).Dump();
    return out;
}

void DeleteOwnedKeys()
{
    for (const OwnedKey& owned : kOwnedKeys)
        DeleteKey(owned.root, owned.path);
}

void DeleteKey(HKEY root, const char* path)
{
    RegDeleteTreeA(root, path);
}

bool KeyExists(HKEY root, const char* path)
{
    return static_cast<bool>(Key(root, path, KEY_READ));
}

bool ReadRawValue(HKEY root, const char* path, const char* name, DWORD* type, std::string* data)
{
    Key key(root, path, KEY_READ);
    DWORD size = 0;
    if (!key || RegQueryValueExA(key.get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data->assign(size, '\0');
    if (size && RegQueryValueExA(key.get(), name, nullptr, type, reinterpret_cast<BYTE*>(&(*data)[0]), &size) !=
                    ERROR_SUCCESS)
        return false;
    data->resize(size);
    return true;
}

std::vector<std::string> ValueNames(HKEY root, const char* path)
{
    std::vector<std::string> names;
    for (const RegValue& value : RegTree::Read(root, path).values)
        names.push_back(value.name);
    return names;
}

std::vector<std::string> SubkeyNames(HKEY root, const char* path)
{
    std::vector<std::string> names;
    for (const auto& subkey : RegTree::Read(root, path).subkeys)
        names.push_back(subkey.first);
    return names;
}

void SetDword(HKEY root, const char* path, const char* name, DWORD value)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void SetString(HKEY root, const char* path, const char* name, const std::string& value)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

// ---- files ----------------------------------------------------------------

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void CreateFolder(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void RemoveTree(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& entry : FolderEntries(path))
        RemoveTree(path + "\\" + entry);
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> FolderEntries(const std::string& path)
{
    std::vector<std::string> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ", ") + item;
    return out.empty() ? "(none)" : out;
}

} // namespace e2e
