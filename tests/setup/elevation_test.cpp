// The switches of the copy run through the consent prompt: read back only exactly as written.
#include "support/common.h"

#include "setup/elevation.h"

TEST_CASE("the copy's switches are read only as Brindle writes them")
{
    char written[AllUsersPartSize];
    REQUIRE(WriteAllUsersPart("C:\\Program Files\\BRDL", written));
    const struct { std::string line; std::string read; } rows[] = {
        {written, "install into C:\\Program Files\\BRDL"},
        {"/BrdlRemoveAllUsers", "remove"},
        {"/BrdlRemoveAllUsers ", "none"},
        {"/BrdlRemoveAllUsers /u", "none"},
        {"/brdlremoveallusers", "none"},
        {"/BrdlInstallAllUsers C:\\BRDL", "none"},   // no quotes
        {"/BrdlInstallAllUsers \"C:\\BRDL", "none"},   // no closing quote
        {"/BrdlInstallAllUsers  \"C:\\BRDL\"", "none"},
        {"/u", "none"},
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
