#include "support/message_box_catcher.h"

#include "app/resource.h"

namespace {

MessageBoxCatcher* g_catcher;

int WINAPI CatchMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_catcher->caught.push_back({text, caption, owner, type});
    return g_catcher->answer;
}

} // namespace

std::string MessageText(UINT id)
{
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

MessageBoxCatcher::MessageBoxCatcher(int pressed)
    : answer(pressed), messageBox("user32", "MessageBoxA", CatchMessage) { g_catcher = this; }

std::string MessageBoxCatcher::Shown() const
{
    std::string ids;
    for (const CaughtMessage& box : caught)
        for (UINT id = IDS_NO_ZONE_MANAGER; id <= IDS_REGISTER_FAILED; ++id)
            if (box.text == MessageText(id))
                ids += (ids.empty() ? "" : " ") + std::to_string(id);
    return ids;
}
