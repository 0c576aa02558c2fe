// Redirects HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process, the zone
// manager's reads and writes included, to fresh empty keys while it lives.
#pragma once
#include <windows.h>
#include <string>

struct RegistrySandbox {
    RegistrySandbox();
    ~RegistrySandbox();
};

bool KeyExists(HKEY root, const char* subKey);
// A value's bytes exactly as stored; "" when missing.
std::string RawValue(HKEY root, const char* subKey, const char* name, DWORD* type = nullptr);
bool ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value);
// Creates the key when it is missing.
void WriteValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data, DWORD size);
void WriteDword(HKEY root, const char* subKey, const char* name, DWORD value);
