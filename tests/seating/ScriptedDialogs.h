#pragma once
// Message boxes that answer from a script and record what they were asked.

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "ui/Dialogs.h"

namespace exambell::test {

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        Text text;
        MessageButtons buttons;
        MessageIcon icon;
    };
    std::vector<Shown> shown;
    // Answers for boxes with a choice, in order; boxes with only OK answer OK by themselves.
    std::deque<int> answers;

    int message(const Text& text, MessageButtons buttons, MessageIcon icon, QWidget*,
                const Text&) override {
        shown.push_back({text, buttons, icon});
        if (buttons == MessageButtons::Ok) {
            return kOk;
        }
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question";
            return kCancel;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<Text> openFile(const Text&, const Text&, const Text&, QWidget*) override {
        ADD_FAILURE() << "no file dialog expected";
        return std::nullopt;
    }

    std::vector<Text> texts() const {
        std::vector<Text> result;
        for (const Shown& s : shown) {
            result.push_back(s.text);
        }
        return result;
    }
};

}  // namespace exambell::test
