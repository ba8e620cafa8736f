#pragma once
// Message boxes that answer from a script and record what they were asked.

#include <deque>
#include <functional>
#include <vector>

#include "ui/Dialogs.h"

namespace exambell::test {

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        Text text;
        MessageButtons buttons;
    };

    int message(const Text& text, MessageButtons buttons, MessageIcon, QWidget*,
                const Text&) override {
        shown.push_back({text, buttons});
        if (onMessage) {
            onMessage();
        }
        if (answers.empty()) {
            return buttons == MessageButtons::YesNo ? kYes : kOk;
        }
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<Text> openFile(const Text&, const Text&, const Text&, QWidget*) override {
        return std::nullopt;
    }

    std::vector<Shown> shown;
    std::deque<int> answers;
    // Runs while a box is "open", as the event loop of a modal box would run ticks.
    std::function<void()> onMessage;
};

}  // namespace exambell::test
