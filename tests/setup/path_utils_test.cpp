#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "setup/path_utils.h"
#include "support/files.h"

TEST_CASE("path texts: trimmed, given one backslash, joined, their roots found, never past the buffer")
{
    const struct {
        const char* text;
        unsigned size;
        const char* component;   // nullptr: trim; "": trailing backslash; else joined
        int result;
        const char* after;
    } cases[] = {
        {" \t\xA0x y\r\n", 16, nullptr, 1, "\xA0x y"},   // bytes of 0x80 and up are never blank
        {"C:\\Temp", 8, "", 0, "C:\\Temp"},
        {"C:\\Temp", 9, "", 1, "C:\\Temp\\"},
        {"C:\\Temp\\", 21, "__UNINST.BAT", 1, "C:\\Temp\\__UNINST.BAT"},
        {"C:\\Temp", 20, "__UNINST.BAT", 0, "C:\\Temp\\"},
        {"", 4, "abc", 1, "abc"},
    };
    for (const auto& c : cases) {
        char text[32];
        std::strcpy(text, c.text);
        const int result = !c.component ? (TrimWhiteSpace(text), 1)
                           : *c.component ? AppendPathComponent(text, c.size, c.component)
                                          : EnsureTrailingBackslash(text, c.size);
        CHECK(result == c.result);
        CHECK(std::string(text) == c.after);
    }
    for (const auto& root : {std::make_pair("C:\\X", 2), std::make_pair("C:", -1), std::make_pair("\\\\s\\share\\X", 9),
                             std::make_pair("\\\\s\\share", 9), std::make_pair("\\A", -1)}) {
        const char* end = nullptr;
        CHECK((FindPathRootEnd(root.first, &end) ? end - root.first : -1) == root.second);
    }
}

TEST_CASE("folder trees are created level by level; a file in the way or two backslashes stop it")
{
    TestFolder folder;
    WriteBytes(folder.Sub("file"), "x");
    CHECK(CreateDirectoryTree(folder.Sub("A\\B\\").c_str()) == 1);
    CHECK(CreateDirectoryTree(folder.Sub("A\\B\\C").c_str()) == 1);
    CHECK(Exists(folder.Sub("A\\B\\C")));
    CHECK(CreateDirectoryTree(folder.Sub("D\\\\E").c_str()) == 0);
    CHECK_FALSE(Exists(folder.Sub("E")));
    CHECK(CreateDirectoryTree(folder.Sub("file\\F").c_str()) == 0);

    // A cut path would name another file.
    const std::string path = ExecutablePath();
    char buffer[MAX_PATH];
    CHECK(GetExecutablePath(buffer, DWORD(path.size() + 1)) == 1);
    CHECK(GetExecutablePath(buffer, DWORD(path.size())) == 0);
}
