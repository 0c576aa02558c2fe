// What the installer and uninstaller tests do not reach: network roots, the walks
// that must stop, and a cut path. The other helpers work inside those tests.
#include <doctest/doctest.h>

#include <string>

#include "setup/path_utils.h"
#include "support/sandbox.h"

TEST_CASE("path helpers: roots, folder trees that cannot be made, a cut executable path")
{
    for (const auto& root : {std::make_pair("C:\\X", 2), std::make_pair("C:", -1), std::make_pair("\\\\s\\share\\X", 9),
                             std::make_pair("\\\\s\\share", 9), std::make_pair("\\A", -1)}) {
        const char* end = nullptr;
        CHECK((FindPathRootEnd(root.first, &end) ? end - root.first : -1) == root.second);
    }
    TestFolder folder;
    WriteBytes(folder.Sub("file"), "x");
    CHECK(CreateDirectoryTree(folder.Sub("D\\\\E").c_str()) == 0);   // two backslashes in a row
    CHECK_FALSE(Exists(folder.Sub("E")));
    CHECK(CreateDirectoryTree(folder.Sub("file\\F").c_str()) == 0);   // a file in the way
    const std::string path = ExecutablePath();
    char buffer[MAX_PATH];
    CHECK(GetExecutablePath(buffer, DWORD(path.size() + 1)) == 1);
    CHECK(GetExecutablePath(buffer, DWORD(path.size())) == 0);   // a cut path would name another file
}
