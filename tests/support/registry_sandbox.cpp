#include "support/registry_sandbox.h"

#include <cstdio>

namespace {

char g_sandbox[64];

HKEY CreateOverride(const char* name)
{
    char path[96];
    std::snprintf(path, sizeof path, "%s\\%s", g_sandbox, name);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

} // namespace

RegistrySandbox::RegistrySandbox()
{
    std::snprintf(g_sandbox, sizeof g_sandbox, "Software\\BrindleTests\\%lu", GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, g_sandbox);
    HKEY user = CreateOverride("HKCU");
    HKEY machine = CreateOverride("HKLM");
    RegOverridePredefKey(HKEY_CURRENT_USER, user);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine);
    RegCloseKey(user);
    RegCloseKey(machine);
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, g_sandbox);
}

bool KeyExists(HKEY root, const char* subKey)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
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
