#include "ui/DesktopWorkbookOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace exambell {

namespace {

using namespace Qt::StringLiterals;

// Spreadsheet programs that open an .xlsx file given on the command line, most usual first.
QString spreadsheetProgram() {
#ifdef Q_OS_WIN
    return {};
#else
    for (const QString& name :
         {u"localc"_s, u"libreoffice"_s, u"soffice"_s, u"gnumeric"_s, u"et"_s}) {
        QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) {
            return path;
        }
    }
    return {};
#endif
}

}  // namespace

bool DesktopWorkbookOpener::canOpenWorkbooks() const {
#ifdef Q_OS_WIN
    return true;  // the shell reports a missing association only when asked to open the file
#else
    return !spreadsheetProgram().isEmpty();
#endif
}

bool DesktopWorkbookOpener::openWorkbook(const std::filesystem::path& file) {
    const QString name = QString::fromStdU16String(file.u16string());
    const QString program = spreadsheetProgram();
    if (program.isEmpty()) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(name));
    }
    return QProcess::startDetached(program, {name});
}

}  // namespace exambell
