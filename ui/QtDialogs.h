#pragma once
// The real message boxes and file dialog: QMessageBox and Qt's own QFileDialog (never the
// desktop's, whose language is not the program's).

#include <QString>

#include "platform/Dialogs.h"

namespace exambell {

class QtDialogs : public Dialogs {
  public:
    int message(const Text& text, MessageButtons buttons, MessageIcon icon,
                const DialogOwner* owner, const Text& caption) override;
    std::optional<Text> openFile(const Text& filter, const Text& folder, const Text& fileName,
                                 const DialogOwner* owner) override;
    std::optional<Text> saveFile(const Text& filter, const Text& folder, const Text& fileName,
                                 const DialogOwner* owner) override;

    // A filter of the form "描述(*.a;*.b)|*.a;*.b[|...]" as QFileDialog wants it:
    // "描述 (*.a *.b)[;;...]".
    static QString qtFilter(const Text& filter);
};

}  // namespace exambell
