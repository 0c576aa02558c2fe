#include "support/registry_sandbox.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kSandboxParent[] = "Software\\BrindleTests";

HKEY g_userKey;
HKEY g_machineKey;
char g_sandboxName[64];

HKEY CreateFreshKey(HKEY parent, const char* name)
{
    RegDeleteTreeA(parent, name);
    HKEY key = nullptr;
    RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

} // namespace

RegistrySandbox::RegistrySandbox()
{
    static unsigned counter;
    std::snprintf(g_sandboxName, sizeof g_sandboxName, "%s\\%lu-%u", kSandboxParent,
                  GetCurrentProcessId(), ++counter);
    HKEY sandbox = CreateFreshKey(HKEY_CURRENT_USER, g_sandboxName);
    g_userKey = CreateFreshKey(sandbox, "HKCU");
    g_machineKey = CreateFreshKey(sandbox, "HKLM");
    RegCloseKey(sandbox);
    RegOverridePredefKey(HKEY_CURRENT_USER, g_userKey);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, g_machineKey);
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(g_userKey);
    RegCloseKey(g_machineKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, g_sandboxName);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSandboxParent);
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
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    const LONG error = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return error == ERROR_SUCCESS ? std::string(data, size) : "";
}

bool ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value)
{
    DWORD type = REG_NONE;
    const std::string data = RawValue(root, subKey, name, &type);
    if (type != REG_DWORD || data.size() != sizeof(DWORD))
        return false;
    memcpy(value, data.data(), sizeof(DWORD));
    return true;
}

void WriteValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteDword(HKEY root, const char* subKey, const char* name, DWORD value)
{
    WriteValue(root, subKey, name, REG_DWORD, &value, sizeof value);
}
