// Real folders and files for the tests that install, uninstall and create folders.
#pragma once
#include <string>

// A fresh folder under the temporary folder, removed with all it holds at the end.
// Its name is never reused, so what an earlier run left cannot get in the way.
struct TestFolder {
    TestFolder();
    ~TestFolder();
    std::string Sub(const std::string& name) const { return path + "\\" + name; }
    std::string path;   // without a trailing backslash
};

std::string ReadBytes(const std::string& path);   // "" when missing
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
std::string ExecutablePath();
