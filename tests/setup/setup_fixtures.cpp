#include "setup/setup_fixtures.h"

#include <doctest/doctest.h>
#include <shellapi.h>
#include <cstdio>

namespace {

struct Driver {
    std::vector<DriverStep> steps;
    size_t next;
    DWORD deadline;
    bool expired;
};
Driver* g_driver;

struct TitleSearch {
    const std::string* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<TitleSearch*>(lParam);
    if (IsWindowVisible(window) && WindowText(window) == *search->title)
        search->found = window;
    return !search->found;
}

BOOL CALLBACK CancelWindow(HWND window, LPARAM)
{
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD now)
{
    Driver& driver = *g_driver;
    driver.expired = driver.expired || static_cast<LONG>(now - driver.deadline) > 0;
    if (driver.expired) {
        EnumThreadWindows(GetCurrentThreadId(), CancelWindow, 0);
        return;
    }
    if (driver.next == driver.steps.size())
        return;
    const DriverStep& step = driver.steps[driver.next];
    TitleSearch search = {&step.title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (!search.found || !IsWindowEnabled(search.found) || (step.ready && !step.ready(search.found)))
        return;
    // Advanced first: a step may run a modal loop in which the next steps play.
    ++driver.next;
    step.act(search.found);
}

} // namespace

TestFolder::TestFolder(const std::string& parent)
{
    static unsigned counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = (parent.empty() ? std::string(temp) : parent + "\\") + "brdl-setup-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TestFolder::~TestFolder()
{
    const std::string from = path_ + '\0';   // a list of one, ended by two terminators
    SHFILEOPSTRUCTA remove = {};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationA(&remove);
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;)
            bytes += static_cast<char>(c);
        std::fclose(file);
    }
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExecutablePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

int DriveModal(const std::function<int()>& run, std::vector<DriverStep> steps, DWORD seconds)
{
    Driver driver = {std::move(steps), 0, GetTickCount() + seconds * 1000, false};
    g_driver = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    const int result = run();
    KillTimer(nullptr, timer);
    g_driver = nullptr;
    CHECK_MESSAGE(!driver.expired, "the modal windows did not end in time");
    CHECK_MESSAGE(driver.next == driver.steps.size(), "steps left unplayed");
    return result;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
