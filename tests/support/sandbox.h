// Fresh registry keys and folders for a test, and what tests read and write there.
#pragma once
#include <windows.h>
#include <string>

// Redirects HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process, the zone
// manager's reads and writes included, to fresh empty keys while it lives.
struct RegistrySandbox {
    RegistrySandbox();
    ~RegistrySandbox();
};

// A fresh folder under the temporary folder, removed with all it holds at the end.
// Its name is never reused, so what an earlier run left cannot get in the way.
struct TestFolder {
    TestFolder();
    ~TestFolder();
    std::string Sub(const std::string& name) const { return path + "\\" + name; }
    std::string path;   // without a trailing backslash
};

bool KeyExists(HKEY root, const char* subKey);
// A value's bytes exactly as stored; "" when missing.
std::string RawValue(HKEY root, const char* subKey, const char* name, DWORD* type = nullptr);
DWORD DwordValue(HKEY root, const char* subKey, const char* name);   // ~0u unless a REG_DWORD
void WriteDword(HKEY root, const char* subKey, const char* name, DWORD value);   // creates the key

std::string ReadBytes(const std::string& path);   // "" when missing
// Paths in UTF-8, so that a test can name any file; Ansi and Utf8 convert to and from the 8-bit API's code page.
std::wstring Wide(const std::string& utf8);
std::string Ansi(const std::string& utf8);
std::string Utf8(const std::string& ansi);
bool Exists(const std::string& path);
