// The forms setup reads: an install folder's path, the consent copy's switches, a path in a UTF-8 code page.
#include "support/common.h"

#include "setup/elevation.h"
#include "setup/path_utils.h"

namespace {

// As Windows: for UTF-8 it refuses the flags and the "used default" answer that Wine takes.
int WINAPI ConvertAsWindows(UINT page, DWORD flags, LPCWCH wide, int length, LPSTR text, int size, LPCCH fill,
                            LPBOOL used)
{
    if (page == CP_UTF8 && (flags || used))
        return SetLastError(ERROR_INVALID_PARAMETER), 0;
    return PLATFORM("kernel32", WideCharToMultiByte)(page, flags, wide, length, text, size, fill, used);
}

} // namespace

TEST_CASE("a full path names a folder below a drive or a share, as Windows reads it")
{
    const struct { const char* path; bool full; } rows[] = {
        {"C:\\Tools", true}, {"z:\\Tools\\", true},   // the last drive letter, with its trailing backslash
        {"\\\\server\\share\\Tools", true},
        {"C:\\", false}, {"\\\\server\\share", false}, {"\\\\server\\share\\", false},   // roots
        {"C:Tools", false}, {"Tools", false},   // relative to wherever the program was started
        {"\\\\?\\C:\\Tools", false}, {"\\\\.\\C:\\Tools", false},   // device paths
        {"C:\\Tools\\..", false}, {"C:\\Tools.", false}, {"C:\\Tools \\BRDL", false},   // read otherwise
        {"C:\\Tools\\\\BRDL", false},   // two backslashes in a row
    };
    for (const auto& row : rows) {
        INFO(row.path);
        CHECK(IsFullPath(row.path) == row.full);
    }
}

TEST_CASE("the copy's switches are read only as Brindle writes them")
{
    char written[AllUsersPartSize];
    REQUIRE(WriteAllUsersPart("C:\\Program Files\\BRDL", written));
    const struct { std::string line, read; } rows[] = {
        {written, "install into C:\\Program Files\\BRDL"}, {"/BrdlRemoveAllUsers", "remove"},
        {"/BrdlRemoveAllUsers ", "none"}, {"/BrdlRemoveAllUsers /u", "none"}, {"/brdlremoveallusers", "none"},
        {"/BrdlInstallAllUsers C:\\BRDL", "none"}, {"/BrdlInstallAllUsers \"C:\\BRDL", "none"},
        {"/BrdlInstallAllUsers  \"C:\\BRDL\"", "none"}, {"/u", "none"},
    };
    for (const auto& row : rows) {
        INFO(row.line);
        std::string line = row.line;
        const char* folder = nullptr;
        const AllUsersPart part = ReadAllUsersPart(&line[0], &folder);
        CHECK((part == AllUsersPart::Install ? "install into " + std::string(folder)
               : part == AllUsersPart::Remove ? "remove" : "none") == row.read);
    }
}

TEST_CASE("where the code pages are UTF-8, every path is named exactly")
{
    const ImportPatch windows("kernel32", "WideCharToMultiByte", ConvertAsWindows);
    char utf8[8];
    CHECK(ConvertExactly(L"Zo\u00EB", CP_UTF8, utf8, sizeof utf8));
    CHECK(std::string(utf8) == "Zo\xC3\xAB");
}
