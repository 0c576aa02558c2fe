// Real folders, raw registry values and a driver for the modal windows of the
// installer, for the setup tests.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A fresh folder (under the temporary folder unless parent is given), removed
// with everything in it at the end.
class TestFolder {
public:
    explicit TestFolder(const std::string& parent = "");
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    // Path without a trailing backslash; Sub(name) the path of name inside it.
    const std::string& Path() const { return path_; }
    std::string Sub(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
std::string ExecutablePath();

// A step of a modal run: when a top-level window of this thread titled title is
// there, enabled and ready (when ready is given), act is called with it once.
// Steps go in order.
struct DriverStep {
    DriverStep(std::string title_, std::function<void(HWND)> act_, std::function<bool(HWND)> ready_ = nullptr)
        : title(std::move(title_)), act(std::move(act_)), ready(std::move(ready_))
    {
    }
    std::string title;
    std::function<void(HWND)> act;
    std::function<bool(HWND)> ready;
};

// Returns run's result while the steps are played one timer tick at a time;
// a step not played within seconds fails the test and cancels the windows.
int DriveModal(const std::function<int()>& run, std::vector<DriverStep> steps, DWORD seconds = 10);

std::string WindowText(HWND window);
// Presses a button as the user would, once the current message is handled.
void Press(HWND dialog, int id);
