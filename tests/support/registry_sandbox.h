// Redirects HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process to fresh,
// empty keys for the lifetime of the object, so tests never touch real settings.
#pragma once
#include <windows.h>
#include <string>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;
};

// Small registry accessors for assertions and seeding; root is a predefined key
// (redirected while a sandbox lives).
bool KeyExists(HKEY root, const char* subKey);
// A value's bytes exactly as stored, terminators included; "" when missing.
std::string RawValue(HKEY root, const char* subKey, const char* name, DWORD* type = nullptr);
bool ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value);
void WriteValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data, DWORD size);
void WriteDword(HKEY root, const char* subKey, const char* name, DWORD value);
