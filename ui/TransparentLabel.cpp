#include "ui/TransparentLabel.h"

#include <QLabel>

#include "ui/QtText.h"

namespace exambell {

TransparentLabel::TransparentLabel(QWidget* parent, const Text& designName, const Text& caption)
    : Control(new QLabel(parent), designName) {
    label()->setAttribute(Qt::WA_TranslucentBackground);
    setCaption(caption);
}

QLabel* TransparentLabel::label() const {
    return static_cast<QLabel*>(widget());
}

Text TransparentLabel::caption() const {
    return caption_;
}

void TransparentLabel::setCaption(const Text& caption) {
    caption_ = caption;
    QString shown = toQString(caption);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    label()->setText(shown);
}

}  // namespace exambell
