#include "tests/support/FakeDialogs.h"

#include <gtest/gtest.h>

#include "text/Encoding.h"

namespace exambell::test {

int FakeDialogs::message(const Text& text, MessageButtons buttons, MessageIcon icon,
                         const DialogOwner* owner, const Text& caption) {
    messages_.push_back({text, buttons, icon, owner, caption});
    if (onMessage) {
        onMessage(messages_.back());
    }
    const bool strict = mode_ == Mode::Strict;
    if (strict && buttons == MessageButtons::Ok) {
        return kOk;
    }
    if (!answers_.empty()) {
        const int result = answers_.front();
        answers_.pop_front();
        return result;
    }
    if (strict) {
        ADD_FAILURE() << "unexpected question: " << gbkToUtf8(text);
        return kCancel;
    }
    return buttons == MessageButtons::YesNo ? kYes : kOk;
}

std::optional<Text> FakeDialogs::openFile(const Text& filter, const Text& folder,
                                          const Text& fileName, const DialogOwner* owner) {
    fileRequests_.push_back({filter, folder, fileName, owner});
    if (files_.empty()) {
        if (mode_ == Mode::Strict) {
            ADD_FAILURE() << "unexpected file dialog";
        }
        return std::nullopt;
    }
    std::optional<Text> chosen = files_.front();
    files_.pop_front();
    return chosen;
}

std::vector<std::string> FakeDialogs::texts() const {
    std::vector<std::string> all;
    for (const Message& m : messages_) {
        all.push_back(gbkToUtf8(m.text));
    }
    return all;
}

}  // namespace exambell::test
