#include "ui/ImageButton.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include "ui/QtText.h"

namespace exambell {

ImageButton::ImageButton(QWidget* parent, const Text& designName, const Text& tooltip)
    : Control(new QPushButton(parent), designName) {
    button()->setCheckable(true);
    button()->setFlat(true);
    button()->setAutoDefault(false);
    setTooltip(tooltip);
    connect(button(), &QPushButton::clicked, this, [this] { Q_EMIT clicked(); });
}

QPushButton* ImageButton::button() const {
    return static_cast<QPushButton*>(widget());
}

bool ImageButton::checked() const {
    return button()->isChecked();
}

void ImageButton::setChecked(bool checked) {
    button()->setChecked(checked);
}

Text ImageButton::tooltip() const {
    return fromQString(button()->toolTip());
}

void ImageButton::setTooltip(const Text& tooltip) {
    button()->setToolTip(toQString(tooltip));
    // A picture says nothing to a screen reader: the tooltip is the button's name.
    button()->setAccessibleName(toQString(tooltip));
}

void ImageButton::setPictures(const QImage& unchecked, const QImage& checked) {
    QIcon icon;
    if (!unchecked.isNull()) {
        icon.addPixmap(QPixmap::fromImage(unchecked), QIcon::Normal, QIcon::Off);
    }
    if (!checked.isNull()) {
        icon.addPixmap(QPixmap::fromImage(checked), QIcon::Normal, QIcon::On);
    }
    button()->setIcon(icon);
    button()->setIconSize(unchecked.isNull() ? checked.size() : unchecked.size());
}

}  // namespace exambell
