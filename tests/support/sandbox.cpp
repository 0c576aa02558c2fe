#include "support/sandbox.h"

#include <filesystem>
#include <fstream>
#include <iterator>

constexpr char Sandbox[] = "Software\\BrindleTests";

RegistrySandbox::RegistrySandbox()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, Sandbox);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, root == HKEY_CURRENT_USER ? "Software\\BrindleTests\\U"
                                                                   : "Software\\BrindleTests\\M", &key);
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

TestFolder::TestFolder()
{
    static unsigned counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path = temp + ("brdl-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
                   std::to_string(++counter));
    CreateDirectoryA(path.c_str(), nullptr);
}

TestFolder::~TestFolder() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }

bool KeyExists(HKEY root, const char* subKey)
{
    HKEY key;
    return RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

std::string RawValue(HKEY root, const char* subKey, const char* name, DWORD* type)
{
    char data[1024];
    DWORD size = sizeof data;
    if (RegGetValueA(root, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) != ERROR_SUCCESS)
        return "";
    return std::string(data, size);
}

DWORD DwordValue(HKEY root, const char* subKey, const char* name)
{
    DWORD value = ~0u, size = sizeof value;
    RegGetValueA(root, subKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

void WriteDword(HKEY root, const char* subKey, const char* name, DWORD value)
{
    RegSetKeyValueA(root, subKey, name, REG_DWORD, &value, sizeof value);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(std::filesystem::path(Wide(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
    return wide;
}

static std::string Convert(const std::string& text, UINT from, UINT to)
{
    wchar_t wide[2 * MAX_PATH] = L"";
    char converted[4 * MAX_PATH] = "";
    MultiByteToWideChar(from, 0, text.c_str(), -1, wide, 2 * MAX_PATH);
    WideCharToMultiByte(to, 0, wide, -1, converted, sizeof converted, nullptr, nullptr);
    return converted;
}

std::string Ansi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string Utf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
