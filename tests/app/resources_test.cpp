// The executable's resources and ShowMessage: the texts users read, the icons the
// shell and the browser pick, the version and the manifest.
#include <doctest/doctest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/message_box_catcher.h"

namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(IconGroupEntry) == 14, "RT_GROUP_ICON directory entry");

// (size, bits per pixel) of every image in icon group id.
std::vector<std::pair<int, int>> IconGroupImages(int id)
{
    std::vector<std::pair<int, int>> images;
    HRSRC resource = FindResourceA(g_instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));   // RT_GROUP_ICON
    if (!resource)
        return images;
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(g_instance, resource)));
    const WORD count = reinterpret_cast<const WORD*>(group)[2];
    const IconGroupEntry* entries = reinterpret_cast<const IconGroupEntry*>(group + 6);
    for (WORD i = 0; i < count; ++i)
        images.emplace_back(entries[i].width ? entries[i].width : 256, entries[i].bitCount);
    return images;
}

bool Holds(const std::vector<std::pair<int, int>>& images, int size, int bits)
{
    for (const auto& image : images)
        if (image.first == size && image.second == bits)
            return true;
    return false;
}

std::string ResourceText(LPCSTR type, int id)
{
    HRSRC resource = FindResourceA(g_instance, MAKEINTRESOURCEA(id), type);
    if (!resource)
        return {};
    return std::string(static_cast<const char*>(LockResource(LoadResource(g_instance, resource))),
                       SizeofResource(g_instance, resource));
}

} // namespace

TEST_CASE("every message reads exactly as users are meant to see it")
{
    const std::pair<UINT, const char*> messages[] = {
        {114, "Error accessing Internet Zone Manager. (Is Internet Explorer installed?)"},
        {115, "Error getting zone attributes."},
        {116, "Error setting zone attributes."},
        {117, "Error getting zone policy."},
        {118, "Error setting zone policy."},
        {119, "Too many options have been selected. Please unselect another option if you want to select the current one."},
        {120, "At least one option must be selected. Please select one or more options."},
        {121, "Unable to copy file to destination folder. Installation was aborted."},
        {122, "Insufficient memory to continue this operation. Unable to continue."},
        {123, "Delete BRDL files and all program settings saved to registry?"},
        {124, "You must enter a folder where this program will be installed."},
    };
    for (const auto& message : messages) {
        CAPTURE(message.first);
        CHECK(MessageText(message.first) == message.second);
    }
}

TEST_CASE("ShowMessage shows the text under the caption Brindle and returns the answer")
{
    MessageBoxCatcher catcher;
    catcher.QueueAnswer(IDYES);
    catcher.QueueAnswer(IDNO);
    CHECK(ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) == IDYES);
    CHECK(ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) == IDNO);
    CHECK(ShowMessage(nullptr, IDS_GET_POLICY, MB_OK | MB_ICONEXCLAMATION) == IDOK);
    REQUIRE(catcher.Count() == 3);
    CHECK(catcher.Caught()[0].caption == "Brindle");
    CHECK(catcher.Caught()[0].text == "Delete BRDL files and all program settings saved to registry?");
    CHECK(catcher.Caught()[0].hasNoButton);
    CHECK_FALSE(catcher.Caught()[2].hasNoButton);

    SUBCASE("an id outside the table shows nothing and reads as Cancel")
    {
        for (UINT id : {0u, 113u, 125u, 0xFFFFu})
            CHECK(ShowMessage(nullptr, id, MB_OK) == IDCANCEL);
        CHECK(catcher.Count() == 3);
    }
}

TEST_CASE("icon groups hold every size and colour depth the shell and the browser ask for")
{
    const auto program = IconGroupImages(IDI_PROGRAM);
    CHECK(program.size() == 12);
    for (int size : {48, 32, 24, 16})
        for (int bits : {4, 8, 32}) {
            CAPTURE(size);
            CAPTURE(bits);
            CHECK(Holds(program, size, bits));
        }
    for (int group : {IDI_TOOLBAR_NORMAL, IDI_TOOLBAR_HOT}) {
        const auto images = IconGroupImages(group);
        CHECK(images.size() == 4);
        for (int size : {16, 20})
            for (int bits : {8, 32})
                CHECK(Holds(images, size, bits));
    }
    for (int row : {IDI_ENABLE, IDI_DISABLE, IDI_PROMPT, IDI_UNLOCKED, IDI_LOCKED, IDI_DISABLE_OFF, IDI_ENABLE_OFF,
                    IDI_PROMPT_OFF}) {
        CAPTURE(row);
        CHECK(Holds(IconGroupImages(row), 16, 32));
    }
}

TEST_CASE("version 1.00 and a manifest that asks for no common controls 6")
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path, &handle));
    REQUIRE(!info.empty());
    REQUIRE(GetFileVersionInfoA(path, 0, DWORD(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    REQUIRE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    CHECK(fixed->dwFileVersionMS == MAKELONG(0, 1));
    CHECK(fixed->dwFileVersionLS == 0);
    char* text = nullptr;
    REQUIRE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&text), &size));
    CHECK(std::string(text) == "1.00");

    const std::string manifest = ResourceText(MAKEINTRESOURCEA(24), 1);   // RT_MANIFEST
    CHECK(manifest.find("<assembly") != std::string::npos);
    CHECK(manifest.find("dependency") == std::string::npos);
}
