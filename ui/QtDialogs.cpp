#include "ui/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStringList>
#include <algorithm>

#include "text/Encoding.h"
#include "ui/QtText.h"

namespace exambell {

namespace {

// A message box as narrow as a short text leaves no room in its title bar for its caption
// ("信息："): it is at least this wide, and wider for a longer caption (the room for the window
// manager's buttons added).
constexpr int kMessageMinimumWidth = 260;
constexpr int kTitleBarButtons = 150;

// A file whose name holds a character GBK cannot hold cannot be kept in config.ini whole.
constexpr const char* kNonGbkFileName =
    "文件名中的“%1”（%2）不在 GBK 字符集中，本程序无法使用这个文件。\n请把文件改名后再选择。";

// Qt's own dialog, never the desktop's: GNOME's chooser follows the system's language and not
// the program's, so under an English session it showed English in a Chinese program.
constexpr QFileDialog::Options kFileDialogOptions = QFileDialog::DontUseNativeDialog;

// The owners the program passes are its windows (ui/Window), which are widgets.
QWidget* widgetOf(const DialogOwner* owner) {
    return const_cast<QWidget*>(dynamic_cast<const QWidget*>(owner));
}

void widen(QMessageBox& box) {
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = std::max(
            kMessageMinimumWidth,
            QFontMetrics(box.font()).horizontalAdvance(box.windowTitle()) + kTitleBarButtons);
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

}  // namespace

int QtDialogs::message(const Text& text, MessageButtons buttons, MessageIcon icon,
                       const DialogOwner* owner, const Text& caption) {
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    toQString(caption), shown, QMessageBox::NoButton, widgetOf(owner));
    box.setWindowModality(Qt::ApplicationModal);
    widen(box);
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Cancel:
            return kCancel;
        case QMessageBox::Yes:
            return kYes;
        case QMessageBox::No:
            return kNo;
        default:
            return kOk;
    }
}

QString QtDialogs::qtFilter(const Text& filter) {
    const QStringList parts = toQString(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')')) {
            description = description.left(open);
        }
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << description.trimmed() + QStringLiteral(" (") + patterns + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<Text> QtDialogs::openFile(const Text& filter, const Text& folder,
                                        const Text& fileName, const DialogOwner* owner) {
    QString start = toQString(fileName.empty() ? folder : fileName);
    const QString chosen = QFileDialog::getOpenFileName(
        widgetOf(owner), QString(), start, qtFilter(filter), nullptr, kFileDialogOptions);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    if (const std::optional<char32_t> c = firstNonGbkCharacter(chosen.toStdU16String())) {
        QMessageBox refusal(QMessageBox::Critical, toQString(kDefaultMessageCaption),
                            QString::fromUtf8(kNonGbkFileName)
                                .arg(QString::fromUcs4(&*c, 1), toQString(characterCode(*c))),
                            QMessageBox::Ok, widgetOf(owner));
        widen(refusal);
        refusal.exec();
        return std::nullopt;
    }
    return fromQString(QDir::toNativeSeparators(chosen));
}

std::optional<Text> QtDialogs::saveFile(const Text& filter, const Text& folder,
                                        const Text& fileName, const DialogOwner* owner) {
    const QString start = folder.empty() ? toQString(fileName)
                                         : QDir(toQString(folder)).filePath(toQString(fileName));
    const QString chosen = QFileDialog::getSaveFileName(
        widgetOf(owner), QString(), start, qtFilter(filter), nullptr, kFileDialogOptions);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return fromQString(QDir::toNativeSeparators(chosen));
}

}  // namespace exambell
