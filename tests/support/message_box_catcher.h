// Catches the message boxes that the code under test shows on this thread,
// records them and answers them, through a CBT hook (no seam in the product).
// Dialogs named with AnswerDialog are answered too.
#pragma once
#include <windows.h>
#include <deque>
#include <map>
#include <string>
#include <vector>

struct CaughtMessage {
    std::string text;      // a dialog's is empty
    std::string caption;
    HWND owner;
};

class MessageBoxCatcher {
public:
    // answer: the button pressed on every box unless queued answers say otherwise.
    explicit MessageBoxCatcher(int answer = IDOK);
    ~MessageBoxCatcher();

    void QueueAnswer(int answer) { answers_.push_back(answer); }
    void AnswerDialog(const std::string& title, int command) { dialogs_[title] = command; }
    const std::vector<CaughtMessage>& Caught() const { return caught_; }
    size_t Count() const { return caught_.size(); }
    // How many caught boxes carry message id's text.
    size_t CountOf(UINT id) const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);

    HHOOK hook_;
    int defaultAnswer_;
    std::deque<int> answers_;
    std::map<std::string, int> dialogs_;
    std::vector<CaughtMessage> caught_;
};

// The text of string resource id in this module.
std::string MessageText(UINT id);
