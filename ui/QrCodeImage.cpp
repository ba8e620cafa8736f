#include "ui/QrCodeImage.h"

#include <qrencode.h>

#include <QPainter>
#include <memory>
#include <string>

namespace exambell {

QImage qrCodeImage(std::string_view utf8, int modulePixels) {
    const std::string text(utf8);
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || modulePixels <= 0) {
        return {};
    }
    constexpr int kQuietModules = 4;
    const int side = (code->width + 2 * kQuietModules) * modulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // Bit 0 of each module's byte: dark.
            if (code->data[y * code->width + x] & 1) {
                painter.fillRect((x + kQuietModules) * modulePixels,
                                 (y + kQuietModules) * modulePixels, modulePixels, modulePixels,
                                 Qt::black);
            }
        }
    }
    return image;
}

}  // namespace exambell
