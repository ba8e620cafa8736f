#pragma once
// Message boxes and the file dialog for tests: every message is recorded, answers come from a
// script (by default the first button: OK, or Yes for Yes/No), and file-dialog choices too. A
// strict fake answers OK-only boxes by itself and fails the test on any question or file dialog the
// test did not script.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Dialogs.h"

namespace exambell::test {

class FakeDialogs : public Dialogs {
  public:
    enum class Mode { Lenient, Strict };
    explicit FakeDialogs(Mode mode = Mode::Lenient) : mode_(mode) {}

    struct Message {
        Text text;  // GBK
        MessageButtons buttons;
        MessageIcon icon;
        const DialogOwner* owner;
        Text caption;  // GBK
    };
    struct FileRequest {
        Text filter;
        Text folder;
        Text fileName;
        const DialogOwner* owner;
    };

    int message(const Text& text, MessageButtons buttons, MessageIcon icon,
                const DialogOwner* owner, const Text& caption) override;
    std::optional<Text> openFile(const Text& filter, const Text& folder, const Text& fileName,
                                 const DialogOwner* owner) override;
    // Save dialogs take their choices from the same script as open dialogs.
    std::optional<Text> saveFile(const Text& filter, const Text& folder, const Text& fileName,
                                 const DialogOwner* owner) override {
        return openFile(filter, folder, fileName, owner);
    }

    // The answers of the next message boxes, in order (strict: of the next questions; a box with
    // only OK takes none).
    void answer(int result) { answers_.push_back(result); }
    // The next file dialog confirms this GBK path; chooseNothing() makes it cancel.
    void choose(const Text& path) { files_.emplace_back(path); }
    void chooseNothing() { files_.emplace_back(std::nullopt); }

    const std::vector<Message>& messages() const { return messages_; }
    // The texts of the messages shown so far, converted to UTF-8 for readable assertions.
    std::vector<std::string> texts() const;
    const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }
    void clear() { messages_.clear(); }

    // Called while a message box is "open", before it returns its answer.
    std::function<void(const Message&)> onMessage;

  private:
    Mode mode_;
    std::deque<int> answers_;
    std::deque<std::optional<Text>> files_;
    std::vector<Message> messages_;
    std::vector<FileRequest> fileRequests_;
};

}  // namespace exambell::test
