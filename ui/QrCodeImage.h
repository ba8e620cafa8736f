#pragma once
// A QR code as a picture (libqrencode), black modules on white with the standard quiet zone.

#include <QImage>
#include <string_view>

namespace exambell {

// modulePixels pixels per module; a null image when the text cannot be encoded.
QImage qrCodeImage(std::string_view utf8, int modulePixels);

}  // namespace exambell
