#pragma once
// A notice that stays on the window until the operator dismisses it: a framed, red-edged text
// with a dismiss button, never a modal box. Notices that come while one shows are added above the
// earlier ones (the newest first); dismissing clears them all and hides the panel.

#include <vector>

#include "text/Text.h"
#include "ui/Control.h"

class QLabel;
class QPushButton;

namespace exambell {

class NoticePanel : public Control {
    Q_OBJECT
  public:
    // Older notices beyond this many are dropped from the panel (the newest stay).
    static constexpr int kMaxNotices = 20;

    NoticePanel(QWidget* parent, const Text& designName, const Text& dismissCaption);

    void addNotice(const Text& notice);
    // The notices shown, newest first, joined by CR LF; "" when none.
    Text text() const;
    int noticeCount() const;
    void dismiss();
    QPushButton* dismissButton() const { return dismiss_; }

  Q_SIGNALS:
    void dismissed();

  private:
    void show();

    QLabel* label_;
    QPushButton* dismiss_;
    std::vector<Text> notices_;
};

}  // namespace exambell
