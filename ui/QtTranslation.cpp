#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <array>
#include <utility>

namespace exambell {
namespace {

// Qt 6 moved the file types' names to the context QAbstractFileIconProvider; Debian's
// qtbase_zh_CN.qm still has them only under their Qt 5 context, so the file dialog's type
// column said "Folder" in a Chinese dialog.
class FileTypeNames : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || !sourceText) {
            return QString();
        }
        static constexpr std::array<std::pair<const char*, const char*>, 6> kNames = {{
            {"Folder", "文件夹"},
            {"File Folder", "文件夹"},
            {"Drive", "驱动器"},
            {"Shortcut", "快捷方式"},
            {"Alias", "替身"},
            {"Unknown", "未知"},
        }};
        for (const auto& [english, chinese] : kNames) {
            if (qstrcmp(sourceText, english) == 0) {
                return QString::fromUtf8(chinese);
            }
        }
        return QString();
    }
};

}  // namespace

QString installQtChinese(QCoreApplication& application, const QStringList& folders) {
    QCoreApplication::installTranslator(new FileTypeNames(&application));
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
