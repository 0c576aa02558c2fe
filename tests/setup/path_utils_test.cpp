// The install folder's form: what the installer takes for a full path below a root.
#include "support/common.h"

#include "setup/path_utils.h"

TEST_CASE("a full path names a folder below a drive or a share, as Windows reads it")
{
    const struct { const char* path; bool full; } rows[] = {
        {"C:\\Tools", true},
        {"z:\\Tools\\", true},   // the last drive letter, with its trailing backslash
        {"\\\\server\\share\\Tools", true},
        {"C:\\", false},   // a root: a removal would take whatever is current there
        {"\\\\server\\share", false},
        {"\\\\server\\share\\", false},
        {"C:Tools", false},   // relative to wherever the program was started
        {"Tools", false},
        {"\\\\?\\C:\\Tools", false},   // a device path
        {"\\\\.\\C:\\Tools", false},
        {"C:\\Tools\\..", false},   // Windows reads the folder above
        {"C:\\Tools.", false},   // and drops trailing dots and blanks
        {"C:\\Tools \\BRDL", false},
        {"C:\\Tools\\\\BRDL", false},   // two backslashes in a row
    };
    for (const auto& row : rows) {
        INFO(row.path);
        CHECK(IsFullPath(row.path) == row.full);
    }
}
