#include "support/registry_sandbox.h"

namespace {

constexpr char Sandbox[] = "Software\\BrindleTests";

} // namespace

RegistrySandbox::RegistrySandbox()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, Sandbox);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, root == HKEY_CURRENT_USER ? "Software\\BrindleTests\\U" : "Software\\BrindleTests\\M", &key);
        RegOverridePredefKey(root, key);
        RegCloseKey(key);
    }
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, Sandbox);
}

bool KeyExists(HKEY root, const char* subKey)
{
    HKEY key;
    const bool exists = RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (exists)
        RegCloseKey(key);
    return exists;
}

std::string RawValue(HKEY root, const char* subKey, const char* name, DWORD* type)
{
    char data[1024];
    DWORD size = sizeof data;
    if (RegGetValueA(root, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) != ERROR_SUCCESS)
        return "";
    return std::string(data, size);
}

bool ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value)
{
    DWORD size = sizeof *value;
    return RegGetValueA(root, subKey, name, RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

void WriteValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data, DWORD size)
{
    RegSetKeyValueA(root, subKey, name, type, data, size);
}

void WriteDword(HKEY root, const char* subKey, const char* name, DWORD value)
{
    WriteValue(root, subKey, name, REG_DWORD, &value, sizeof value);
}
