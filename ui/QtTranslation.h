#pragma once
// Qt's own texts (message-box buttons, the file dialog, context menus) in Chinese, whatever the
// system's locale: the interface is Chinese by design, so a box never says "OK" beside a Chinese
// question.

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace exambell {

// The file of Debian's qt6-translations-l10n that holds Qt's own texts in simplified Chinese; a
// portable folder carries a copy beside the program.
inline constexpr const char* kQtChineseFile = "qtbase_zh_CN.qm";

// Looks for the file in folders, in order, then in Qt's translations folder; installs the first
// that loads into the application, which owns it. Returns the file's path, or an empty text when
// none loads (Qt's texts then stay English). Also installs the few texts of the file dialog
// that Qt 6 renamed and the file lacks (the type column's "Folder").
QString installQtChinese(QCoreApplication& application, const QStringList& folders);

}  // namespace exambell
