// Real folders and files for the tests that install, uninstall and create folders.
#pragma once
#include <string>

// A fresh folder under the temporary folder (or under parent), removed with
// everything in it at the end. Its name is never reused, so nothing an earlier
// run left behind can get in the way.
class TestFolder {
public:
    explicit TestFolder(const std::string& parent = "");
    ~TestFolder();
    const std::string& Path() const { return path_; }   // without a trailing backslash
    std::string Sub(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);   // "" when missing
void WriteBytes(const std::string& path, const std::string& bytes);
bool IsFolder(const std::string& path);
bool Exists(const std::string& path);
std::string ExecutablePath();
