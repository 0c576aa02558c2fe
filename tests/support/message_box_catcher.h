// Answers the message boxes that the code under test shows on this thread, and
// the dialogs named with AnswerDialog, and records them: a CBT hook, no seam in
// the product.
#pragma once
#include <windows.h>
#include <deque>
#include <map>
#include <string>
#include <vector>

struct CaughtMessage {
    std::string text;      // empty for a dialog
    std::string caption;
    HWND owner;
};

class MessageBoxCatcher {
public:
    // pressed: the button for every box unless queued answers say otherwise.
    explicit MessageBoxCatcher(int pressed = IDOK);
    ~MessageBoxCatcher();
    void QueueAnswer(int pressed) { answers.push_back(pressed); }
    void AnswerDialog(const std::string& title, int command) { dialogs[title] = command; }
    size_t Count() const { return caught.size(); }
    const std::vector<CaughtMessage>& Caught() const { return caught; }
    size_t CountOf(UINT id) const;   // boxes with message id's text

    std::vector<CaughtMessage> caught;
    std::deque<int> answers;
    std::map<std::string, int> dialogs;
    int answer;
    HHOOK hook;
};

std::string MessageText(UINT id);
