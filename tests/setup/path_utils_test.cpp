#include <doctest/doctest.h>
#include <cstring>
#include <string>

#include "setup/path_utils.h"
#include "setup/setup_fixtures.h"

namespace {

std::string Trimmed(std::string text)
{
    TrimWhiteSpace(&text[0]);
    return text.c_str();
}

// The root's end as an offset into path, -1 when not recognised.
int RootEnd(const char* path)
{
    const char* end = nullptr;
    const int found = FindPathRootEnd(path, &end);
    CHECK((found || end == path));
    return found ? static_cast<int>(end - path) : -1;
}

} // namespace

TEST_CASE("white space is trimmed at both ends only")
{
    CHECK(Trimmed("\t  abc\r") == "abc");
    CHECK(Trimmed(" \t\n\v\f\r ") == "");
    CHECK(Trimmed("") == "");
    CHECK(Trimmed("a b") == "a b");
    CHECK(Trimmed(" \xA0x\xA0 ") == "\xA0x\xA0");   // bytes of 0x80 and up are never blank
}

TEST_CASE("a trailing backslash is added within the buffer")
{
    char path[16] = "C:\\Temp";
    CHECK(EnsureTrailingBackslash(path, 8) == 0);
    CHECK(std::strcmp(path, "C:\\Temp") == 0);
    CHECK(EnsureTrailingBackslash(path, 9) == 1);
    CHECK(std::strcmp(path, "C:\\Temp\\") == 0);
    CHECK(EnsureTrailingBackslash(path, 9) == 1);   // nothing to do, even when full
    CHECK(std::strcmp(path, "C:\\Temp\\") == 0);
    char empty[4] = "";
    CHECK(EnsureTrailingBackslash(empty, 1) == 1);
    CHECK(empty[0] == '\0');
}

TEST_CASE("a component is appended with one backslash, exactly up to the bound")
{
    for (const char* folder : {"C:\\Temp", "C:\\Temp\\"}) {
        char path[MAX_PATH];
        std::strcpy(path, folder);
        CHECK(AppendPathComponent(path, MAX_PATH, "__UNINST.BAT") == 1);
        CHECK(std::strcmp(path, "C:\\Temp\\__UNINST.BAT") == 0);
    }
    char path[32] = "C:\\Temp";   // 7 + 1 + 12 characters and the terminator: 21 bytes
    CHECK(AppendPathComponent(path, 20, "__UNINST.BAT") == 0);
    CHECK(std::strcmp(path, "C:\\Temp\\") == 0);   // the backslash stays
    CHECK(AppendPathComponent(path, 21, "__UNINST.BAT") == 1);
    char empty[8] = "";
    CHECK(AppendPathComponent(empty, 4, "abc") == 1);
    CHECK(std::strcmp(empty, "abc") == 0);
}

TEST_CASE("drive and network roots are recognised")
{
    CHECK(RootEnd("C:\\X") == 2);
    CHECK(RootEnd("C:") == -1);
    CHECK(RootEnd("C:X") == 2);
    CHECK(RootEnd("\\\\server\\share\\A") == 14);
    CHECK(RootEnd("\\\\server\\share") == 14);   // the whole path, at its terminator
    CHECK(RootEnd("\\\\server") == 8);
    CHECK(RootEnd("relative\\path") == -1);
    CHECK(RootEnd("\\A\\B") == -1);
}

TEST_CASE("existence and folder trees on real folders")
{
    TestFolder folder;
    const std::string file = folder.Sub("file.txt");
    WriteBytes(file, "x");
    int isDirectory = -1;

    SUBCASE("files and folders are told apart")
    {
        CHECK(PathExists(file.c_str(), &isDirectory) == 1);
        CHECK(isDirectory == 0);
        CHECK(PathExists(folder.Path().c_str(), &isDirectory) == 1);
        CHECK(isDirectory == 1);
        CHECK(PathExists(folder.Sub("missing").c_str(), &isDirectory) == 0);
        CHECK(isDirectory == 1);   // untouched
        CHECK(PathExists(file.c_str(), nullptr) == 1);
    }
    SUBCASE("every level is created, a trailing backslash included")
    {
        CHECK(CreateDirectoryTree(folder.Sub("A\\B\\").c_str()) == 1);
        CHECK(IsFolder(folder.Sub("A\\B")));
        CHECK(CreateDirectoryTree(folder.Sub("A\\B\\C").c_str()) == 1);   // existing levels are passed
        CHECK(IsFolder(folder.Sub("A\\B\\C")));
        CHECK(CreateDirectoryTree("C:\\") == 1);
    }
    SUBCASE("two backslashes in a row stop the walk")
    {
        CHECK(CreateDirectoryTree(folder.Sub("A\\\\B").c_str()) == 0);
        CHECK(IsFolder(folder.Sub("A")));
        CHECK_FALSE(IsFolder(folder.Sub("B")));
    }
    SUBCASE("a file in the way fails, nothing below it is created")
    {
        CHECK(CreateDirectoryTree((file + "\\A\\B").c_str()) == 0);
        CHECK(IsFile(file));
        CHECK_FALSE(IsFolder(file + "\\A"));
    }
    SUBCASE("a path relative to the current folder")
    {
        char current[MAX_PATH];
        GetCurrentDirectoryA(sizeof current, current);
        SetCurrentDirectoryA(folder.Path().c_str());
        CHECK(CreateDirectoryTree("R\\S") == 1);
        SetCurrentDirectoryA(current);
        CHECK(IsFolder(folder.Sub("R\\S")));
    }
}

TEST_CASE("the executable's path is refused when cut")
{
    const std::string path = ExecutablePath();
    char buffer[MAX_PATH];
    const auto fits = static_cast<DWORD>(path.size() + 1);
    CHECK(GetExecutablePath(buffer, fits) == 1);
    CHECK(buffer == path);
    CHECK(GetExecutablePath(buffer, fits - 1) == 0);   // one character short
}
