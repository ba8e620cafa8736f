#pragma once
// The message-box and file-dialog seam. The program shows real QMessageBox/QFileDialog windows
// (QtDialogs); tests script the answers and record the texts.

#include <optional>

#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {

// A window that can own a message box or a file dialog. Logic only passes it on; the real dialogs
// (ui/QtDialogs) show the box over that window, tests compare it with the window they expect.
class DialogOwner {
  public:
    virtual ~DialogOwner() = default;
};

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { None, Error };

// Which button closed a message box.
enum MessageResult : int {
    kOk = 0,
    kCancel = 1,
    kAbort = 2,
    kRetry = 3,
    kIgnore = 4,
    kYes = 5,
    kNo = 6
};

// The caption of a message box that names none.
inline const Text kDefaultMessageCaption = utf8ToGbk("信息：");

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message box owned by owner (nullptr: owned by no window). Texts are GBK.
    virtual int message(const Text& text, MessageButtons buttons, MessageIcon icon,
                        const DialogOwner* owner, const Text& caption = kDefaultMessageCaption) = 0;
    // The "open file" dialog: filter in the form "描述|*.a;*.b", the initial folder and file name.
    // Returns the chosen full path, or nothing when the operator cancelled.
    virtual std::optional<Text> openFile(const Text& filter, const Text& folder,
                                         const Text& fileName, const DialogOwner* owner) = 0;
    // The "save file" dialog, with the same arguments; it asks before replacing a file. Returns
    // the chosen full path, or nothing when the operator cancelled (also where no dialog exists).
    virtual std::optional<Text> saveFile(const Text& filter, const Text& folder,
                                         const Text& fileName, const DialogOwner* owner) {
        (void)filter, (void)folder, (void)fileName, (void)owner;
        return std::nullopt;
    }
};

}  // namespace exambell
