// ExamBell: the process start. The current directory becomes the program directory (the
// recordings live there; config.ini too, unless the program is installed or its folder is not
// writable: text/ProgramFolders.h, with HOME from the user's account when it is unset), Qt's own
// texts turn Chinese, the main window is made and filled by its creation handler, then the event
// loop runs until the main window is closed.
// One program runs per user (app/SingleInstance.h): a second start brings the first one's main
// window forward and ends before it makes a window or opens the audio.
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <cstdlib>
#include <filesystem>

#include "app/Application.h"
#include "app/DesktopSeams.h"
#include "app/SingleInstance.h"
#include "text/Paths.h"
#include "text/ProgramFolders.h"
#include "ui/AfterFirstPaint.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/QtTranslation.h"

namespace {

// How long a second start waits for the first program to take its name on the bus (it may
// still be starting) and to answer.
constexpr int kActivationWaitMs = 10000;
// Said when the first program could not be asked to come forward (no session bus).
constexpr const char* kAlreadyRunningCaption = "考铃";
constexpr const char* kAlreadyRunning =
    "考铃已经在运行，同一用户只能运行一个考铃。\n请在任务栏中找到已打开的考铃窗口。";

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    const std::filesystem::path accountHome = exambell::accountHome();
    const exambell::ProgramFolders folders = exambell::locateProgramFolders(
        QCoreApplication::applicationDirPath().toStdU16String(), std::getenv("XDG_CONFIG_HOME"),
        std::getenv("HOME"), accountHome.empty() ? nullptr : accountHome.c_str());
    const QString programDir = QString::fromStdU16String(folders.data.u16string());
    QDir::setCurrent(programDir);
    exambell::installQtChinese(qt, {programDir});

    exambell::SingleInstance instance(exambell::SingleInstance::lockFilePath(),
                                      QDBusConnection::sessionBus());
    if (!instance.acquire()) {
        if (instance.activateFirst(kActivationWaitMs)) {
            return 0;
        }
        QMessageBox::information(nullptr, QString::fromUtf8(kAlreadyRunningCaption),
                                 QString::fromUtf8(kAlreadyRunning));
        return 1;
    }
    if (!instance.lockError().isEmpty()) {
        qWarning("exambell: cannot lock %s; a second start will not be refused",
                 qPrintable(instance.lockError()));
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(programDir + QStringLiteral("/icons/exambell-%1.png").arg(size));
    }
    QApplication::setWindowIcon(icon);

    // The device opens and the sound font loads on the output's own thread, once the window is
    // up: on a machine of two cores that work would otherwise slow the window's start.
    exambell::DesktopSeams seams(true);
    exambell::Platform platform =
        seams.platform(exambell::fromQString(QDir::toNativeSeparators(programDir)),
                       exambell::pathText(folders.settings));
    platform.noSettingsFolder = folders.settings.empty();
    if (!folders.prepared.empty()) {
        platform.preparedDir = exambell::pathText(folders.prepared);
    }
    exambell::Application app(platform);
    // Published before the creation handler, whose messages may wait for the operator.
    instance.publish([&app] { app.mainWindow().bringForward(); });
    app.startUp();
    const exambell::AfterFirstPaint startAudio(app.mainWindow(),
                                               [&seams] { seams.audio().start(); });
    app.mainWindow().show();
    return QApplication::exec();
}
