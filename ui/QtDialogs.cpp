#include "ui/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "ui/QtText.h"

namespace exambell {

namespace {

// The owners the program passes are its windows (ui/Window), which are widgets.
QWidget* widgetOf(const DialogOwner* owner) {
    return const_cast<QWidget*>(dynamic_cast<const QWidget*>(owner));
}

}  // namespace

int QtDialogs::message(const Text& text, MessageButtons buttons, MessageIcon icon,
                       const DialogOwner* owner, const Text& caption) {
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    toQString(caption), shown, QMessageBox::NoButton, widgetOf(owner));
    box.setWindowModality(Qt::ApplicationModal);
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
    const QString chosen =
        QFileDialog::getOpenFileName(widgetOf(owner), QString(), start, qtFilter(filter));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return fromQString(QDir::toNativeSeparators(chosen));
}

std::optional<Text> QtDialogs::saveFile(const Text& filter, const Text& folder,
                                        const Text& fileName, const DialogOwner* owner) {
    const QString start = folder.empty() ? toQString(fileName)
                                         : QDir(toQString(folder)).filePath(toQString(fileName));
    const QString chosen =
        QFileDialog::getSaveFileName(widgetOf(owner), QString(), start, qtFilter(filter));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return fromQString(QDir::toNativeSeparators(chosen));
}

}  // namespace exambell
