#pragma once
// Texts crossing between the program (GBK bytes) and Qt (UTF-16). Only ui/ uses these.

#include <QString>
#include <string_view>

#include "text/Text.h"

namespace exambell {

QString toQString(std::string_view gbk);
Text fromQString(const QString& text);
// A GBK text from a UTF-8 literal of the source: window designs are written in UTF-8.
Text gbk(std::string_view utf8);
// Byte length of a text once it is GBK (a Chinese character counts two).
int gbkLength(const QString& text);

}  // namespace exambell
