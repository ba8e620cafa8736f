#include "ui/QtText.h"

#include "text/Encoding.h"

namespace exambell {

QString toQString(std::string_view gbk) {
    return QString::fromStdU16String(gbkToUtf16(gbk));
}

Text fromQString(const QString& text) {
    return utf16ToGbk(text.toStdU16String());
}

Text gbk(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

int gbkLength(const QString& text) {
    return static_cast<int>(fromQString(text).size());
}

}  // namespace exambell
