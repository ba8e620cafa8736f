#include "tests/support/FakeDialogs.h"

#include "text/Encoding.h"

namespace exambell::test {

int FakeDialogs::message(const Text& text, MessageButtons buttons, MessageIcon icon, QWidget* owner,
                         const Text& caption) {
    messages_.push_back({text, buttons, icon, owner, caption});
    if (onMessage) {
        onMessage(messages_.back());
    }
    if (!answers_.empty()) {
        const int result = answers_.front();
        answers_.pop_front();
        return result;
    }
    return buttons == MessageButtons::YesNo ? kYes : kOk;
}

std::optional<Text> FakeDialogs::openFile(const Text& filter, const Text& folder,
                                          const Text& fileName, QWidget* owner) {
    fileRequests_.push_back({filter, folder, fileName, owner});
    if (files_.empty()) {
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
