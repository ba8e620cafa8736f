#include "ui/NoticePanel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/QtText.h"

namespace exambell {

NoticePanel::NoticePanel(QWidget* parent, const Text& designName, const Text& dismissCaption)
    : Control(new QFrame(parent), designName) {
    auto* frame = static_cast<QFrame*>(widget());
    frame->setFrameShape(QFrame::Box);
    frame->setAutoFillBackground(true);
    frame->setStyleSheet(
        QStringLiteral("QFrame { background: #fff3f3; border: 2px solid #c00000; } "
                       "QLabel { border: none; color: #900000; } "));
    label_ = new QLabel(frame);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setTextFormat(Qt::PlainText);
    dismiss_ = new QPushButton(toQString(dismissCaption), frame);
    dismiss_->setObjectName(toQString(dismissCaption));
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(label_, 1);
    layout->addWidget(dismiss_, 0, Qt::AlignTop);
    connect(dismiss_, &QPushButton::clicked, this, &NoticePanel::dismiss);
    frame->hide();
}

void NoticePanel::addNotice(const Text& notice) {
    notices_.insert(notices_.begin(), notice);
    if (notices_.size() > static_cast<std::size_t>(kMaxNotices)) {
        notices_.resize(static_cast<std::size_t>(kMaxNotices));
    }
    show();
}

Text NoticePanel::text() const {
    Text out;
    for (const Text& n : notices_) {
        if (!out.empty()) {
            out += "\r\n";
        }
        out += n;
    }
    return out;
}

int NoticePanel::noticeCount() const {
    return static_cast<int>(notices_.size());
}

void NoticePanel::show() {
    QString shown = toQString(text());
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    label_->setText(shown);
    widget()->show();
    widget()->raise();
}

void NoticePanel::dismiss() {
    notices_.clear();
    label_->clear();
    widget()->hide();
    Q_EMIT dismissed();
}

}  // namespace exambell
