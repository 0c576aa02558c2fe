// Catches the message boxes that the code under test shows on this thread,
// records them and answers them, through a CBT hook (no seam in the product).
#pragma once
#include <windows.h>
#include <deque>
#include <string>
#include <vector>

struct CaughtMessage {
    std::string text;
    std::string caption;
    HWND owner;
    bool hasNoButton;   // a Yes/No box (no OK button)
};

class MessageBoxCatcher {
public:
    // answer: the button pressed on every box unless queued answers say otherwise.
    explicit MessageBoxCatcher(int answer = IDOK);
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    void QueueAnswer(int answer) { answers_.push_back(answer); }
    const std::vector<CaughtMessage>& Caught() const { return caught_; }
    size_t Count() const { return caught_.size(); }
    // How many caught boxes carry message id's text.
    size_t CountOf(UINT id) const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND box);

    HHOOK hook_;
    int defaultAnswer_;
    std::deque<int> answers_;
    std::vector<CaughtMessage> caught_;
};

// The text of string resource id in this module.
std::string MessageText(UINT id);
