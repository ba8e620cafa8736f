#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace exambell {

QString installQtChinese(QCoreApplication& application, const QStringList& folders) {
    QStringList candidates = folders;
    candidates << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString fileName = QString::fromUtf8(kQtChineseFile);
    for (const QString& folder : candidates) {
        auto* translator = new QTranslator(&application);
        const QString path = QDir(folder).filePath(fileName);
        if (translator->load(path) && QCoreApplication::installTranslator(translator)) {
            // Dates and numbers that Qt's dialogs show follow the same language.
            QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
            return path;
        }
        delete translator;
    }
    return QString();
}

}  // namespace exambell
