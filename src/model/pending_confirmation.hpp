#pragma once

#include <functional>
#include <string>

namespace quenlith {

// The library window's one question before a destructive change ("Confirm Change"): a command
// sets the question and the action; "Continue" takes the action, clears the question's state and
// then runs it, so the action runs exactly once however often the answer arrives. "Cancel" and
// any other dismissal drop it. The question text stays after the answer.
class PendingConfirmation {
public:
    void ask(std::string text, std::function<void()> action);
    bool pending() const { return static_cast<bool>(action_); }
    const std::string& text() const { return text_; }
    // Runs the waiting action, if any; true when one ran.
    bool confirm();
    void cancel() { action_ = nullptr; }

private:
    std::string text_;
    std::function<void()> action_;
};

}  // namespace quenlith
