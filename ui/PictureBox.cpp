#include "ui/PictureBox.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace exambell {

PictureBox::PictureBox(QWidget* parent, const Text& designName)
    : Control(new QLabel(parent), designName) {
    label()->setScaledContents(true);
    label()->setAutoFillBackground(true);
}

QLabel* PictureBox::label() const {
    return static_cast<QLabel*>(widget());
}

void PictureBox::setPicture(const QImage& picture) {
    label()->setPixmap(QPixmap::fromImage(picture));
}

bool PictureBox::hasPicture() const {
    return !label()->pixmap().isNull();
}

}  // namespace exambell
