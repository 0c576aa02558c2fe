#include "support/files.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

TestFolder::TestFolder()
{
    static unsigned counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path = temp + ("brdl-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
                   std::to_string(++counter));
    CreateDirectoryA(path.c_str(), nullptr);
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ExecutablePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}
