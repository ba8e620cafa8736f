// Draws the pictures of the window designs into a folder: the run button's play and pause
// symbols (64 x 64 PNG) and the picture box's card (200 x 248 JPEG).
// Usage: exambell_make_pictures OUTPUT_FOLDER   (tools/make-pictures.sh runs it)
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>

namespace {

QImage button(const QColor& colour, bool play) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(130), 2));
    p.setBrush(colour);
    p.drawEllipse(QRectF(3, 3, 58, 58));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    if (play) {
        QPainterPath triangle;
        triangle.moveTo(25, 18);
        triangle.lineTo(47, 32);
        triangle.lineTo(25, 46);
        triangle.closeSubpath();
        p.drawPath(triangle);
    } else {
        p.drawRoundedRect(QRectF(22, 19, 7, 26), 2, 2);
        p.drawRoundedRect(QRectF(35, 19, 7, 26), 2, 2);
    }
    return image;
}

QImage card() {
    QImage image(200, 248, QImage::Format_RGB32);
    image.fill(QColor(0xF4, 0xF1, 0xEA));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8A, 0x7F, 0x6A), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 6, 188, 236), 10, 10);
    // A bell.
    const QColor brass(0xC8, 0x9B, 0x3C);
    p.setPen(QPen(brass.darker(140), 2));
    p.setBrush(brass);
    QPainterPath bell;
    bell.moveTo(70, 100);
    bell.cubicTo(70, 40, 130, 40, 130, 100);
    bell.lineTo(138, 112);
    bell.lineTo(62, 112);
    bell.closeSubpath();
    p.drawPath(bell);
    p.drawEllipse(QRectF(93, 112, 14, 12));
    p.drawEllipse(QRectF(96, 40, 8, 8));
    p.setPen(QColor(0x3B, 0x35, 0x2A));
    QFont big(QStringLiteral("Noto Sans CJK SC"));
    big.setPixelSize(40);
    big.setBold(true);
    p.setFont(big);
    p.drawText(QRectF(0, 128, 200, 50), Qt::AlignCenter, QStringLiteral("考铃"));
    QFont small = big;
    small.setPixelSize(18);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRectF(0, 176, 200, 24), Qt::AlignCenter, QStringLiteral("ExamBell 2.0"));
    small.setPixelSize(14);
    p.setFont(small);
    p.drawText(QRectF(0, 204, 200, 22), Qt::AlignCenter, QStringLiteral("准点报时 · 随机座位"));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    const bool ok = button(QColor(0x2E, 0x8B, 0x57), true).save(folder + u"run.png", "PNG") &&
                    button(QColor(0xC0, 0x5A, 0x2B), false).save(folder + u"pause.png", "PNG") &&
                    card().save(folder + u"card.jpg", "JPEG", 90);
    return ok ? 0 : 1;
}
