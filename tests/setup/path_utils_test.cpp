#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "setup/path_utils.h"
#include "support/files.h"

TEST_CASE("text helpers: trimming, a trailing backslash and a joined component stay within the buffer")
{
    struct Case {
        const char* text;
        unsigned size;
        const char* component;   // nullptr: trim, "": trailing backslash, else append
        int result;
        const char* after;
    };
    const Case cases[] = {
        {"\t  a b\r", 16, nullptr, 1, "a b"},
        {" \t\n\v\f\r ", 16, nullptr, 1, ""},
        {" \xA0x\xA0 ", 16, nullptr, 1, "\xA0x\xA0"},   // bytes of 0x80 and up are never blank
        {"C:\\Temp", 8, "", 0, "C:\\Temp"},
        {"C:\\Temp", 9, "", 1, "C:\\Temp\\"},
        {"C:\\Temp\\", 9, "", 1, "C:\\Temp\\"},
        {"", 1, "", 1, ""},
        {"C:\\Temp", 21, "__UNINST.BAT", 1, "C:\\Temp\\__UNINST.BAT"},
        {"C:\\Temp\\", 21, "__UNINST.BAT", 1, "C:\\Temp\\__UNINST.BAT"},
        {"C:\\Temp", 20, "__UNINST.BAT", 0, "C:\\Temp\\"},
        {"", 4, "abc", 1, "abc"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        CAPTURE(c.size);
        char text[32];
        std::strcpy(text, c.text);
        int result = 1;
        if (!c.component)
            TrimWhiteSpace(text);
        else if (!*c.component)
            result = EnsureTrailingBackslash(text, c.size);
        else
            result = AppendPathComponent(text, c.size, c.component);
        CHECK(result == c.result);
        CHECK(std::string(text) == c.after);
    }
}

TEST_CASE("drive and network roots")
{
    const std::pair<const char*, int> cases[] = {
        {"C:\\X", 2}, {"C:X", 2}, {"C:", -1}, {"\\\\server\\share\\A", 14}, {"\\\\server\\share", 14},
        {"\\\\server", 8}, {"relative\\path", -1}, {"\\A\\B", -1},
    };
    for (const auto& c : cases) {
        CAPTURE(c.first);
        const char* end = nullptr;
        const int found = FindPathRootEnd(c.first, &end);
        CHECK((found ? end - c.first : -1) == c.second);
        CHECK((found || end == c.first));
    }
}

TEST_CASE("folder trees are created level by level on real folders")
{
    TestFolder folder;
    WriteBytes(folder.Sub("file"), "x");
    int isDirectory = -1;
    CHECK((PathExists(folder.Sub("file").c_str(), &isDirectory) == 1 && isDirectory == 0));
    CHECK((PathExists(folder.Path().c_str(), &isDirectory) == 1 && isDirectory == 1));
    CHECK(PathExists(folder.Sub("missing").c_str(), nullptr) == 0);

    const std::pair<std::string, int> cases[] = {
        {folder.Sub("A\\B\\"), 1}, {folder.Sub("A\\B\\C"), 1}, {"C:\\", 1},
        {folder.Sub("D\\\\E"), 0},   // two backslashes in a row stop the walk
        {folder.Sub("file\\F"), 0},  // a file in the way
    };
    for (const auto& c : cases) {
        CAPTURE(c.first);
        CHECK(CreateDirectoryTree(c.first.c_str()) == c.second);
    }
    CHECK(IsFolder(folder.Sub("A\\B\\C")));
    CHECK(IsFolder(folder.Sub("D")));
    CHECK_FALSE(Exists(folder.Sub("E")));
    CHECK_FALSE(Exists(folder.Sub("file\\F")));
}

TEST_CASE("the executable's path is refused when cut")
{
    const std::string path = ExecutablePath();
    char buffer[MAX_PATH];
    CHECK(GetExecutablePath(buffer, DWORD(path.size() + 1)) == 1);
    CHECK(buffer == path);
    CHECK(GetExecutablePath(buffer, DWORD(path.size())) == 0);
}
