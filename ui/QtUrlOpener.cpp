#include "ui/QtUrlOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "text/Encoding.h"

namespace exambell {

void QtUrlOpener::open(const Text& address) {
    // Tolerant parsing escapes what a hand-written address leaves bare (blanks, Chinese).
    QDesktopServices::openUrl(
        QUrl(QString::fromStdU16String(gbkToUtf16(address)), QUrl::TolerantMode));
}

}  // namespace exambell
