// Brindle's registry keys and files, read and reset from outside the program.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "e2e/driver.h"

namespace e2e {

const std::pair<HKEY, const char*> kOwnedKeys[5] = {
    {HKEY_CURRENT_USER, kTalvaneKey},   {HKEY_CURRENT_USER, kToolbarKey},   {HKEY_CURRENT_USER, kUninstallKey},
    {HKEY_LOCAL_MACHINE, kToolbarKey}, {HKEY_LOCAL_MACHINE, kUninstallKey},
};

std::string RegValue::Dump() const
{
    std::string out = "\"" + name + "\" type " + std::to_string(type) + " = \"";
    for (unsigned char c : data) {
        char escaped[8] = {static_cast<char>(c)};
        if (c < 0x20 || c >= 0x7F)
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        out += escaped;
    }
    return out + "\"";
}

RegTree RegTree::Read(HKEY root, const char* path)
{
    RegTree tree;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return tree;
    tree.exists = true;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
        tree.values.push_back({name, type, data.substr(0, size)});
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        tree.subkeys.emplace_back(name, Read(key, name));
    }
    RegCloseKey(key);
    return tree;
}

void RegTree::Write(HKEY root, const char* path) const
{
    RegDeleteTreeA(root, path);
    HKEY key;
    if (!exists || RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const RegValue& value : values)
        SetValue(key, nullptr, value);
    for (const auto& [name, subkey] : subkeys)
        subkey.Write(key, name.c_str());
    RegCloseKey(key);
}

std::string RegTree::Dump(const std::string& indent) const
{
    if (!exists)
        return indent + "(absent)\n";
    std::vector<std::string> lines;
    for (const RegValue& value : values)
        lines.push_back(indent + value.Dump() + "\n");
    for (const auto& [name, subkey] : subkeys)
        lines.push_back(indent + "[" + name + "]\n" + subkey.Dump(indent + "  "));
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line;
    return out;
}

RegValue ReadValue(HKEY root, const char* path, const char* name)
{
    for (const RegValue& value : RegTree::Read(root, path).values)
        if (value.name == name)
            return value;
    return {name, REG_NONE, ""};
}

void SetValue(HKEY root, const char* path, const RegValue& value)
{
    RegSetKeyValueA(root, path, value.name.c_str(), value.type, value.data.data(),
                    static_cast<DWORD>(value.data.size()));
}

std::string DumpOwnedKeys()
{
    std::string out;
    for (const auto& [root, path] : kOwnedKeys)
        if (const RegTree tree = RegTree::Read(root, path); tree.exists)
            out += (root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + std::string(path) + "\n" + tree.Dump();
    return out;
}

void DeleteOwnedKeys()
{
    for (const auto& [root, path] : kOwnedKeys)
        RegDeleteTreeA(root, path);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::string> FolderEntries(const std::string& path)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace e2e
