#include "app/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace exambell {
namespace {

constexpr const char* kLockFileName = "exambell.lock";

// The window system's permission to take the focus, handed on by the second start; Qt reads
// them from the environment when the window asks to be activated.
constexpr const char* kActivationToken = "activation-token";
constexpr const char* kStartupId = "desktop-startup-id";

}  // namespace

SingleInstance::SingleInstance(QString lockPath, QDBusConnection bus)
    : lockPath_(std::move(lockPath)), bus_(std::move(bus)) {}

SingleInstance::~SingleInstance() {
    if (published_) {
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
        bus_.unregisterService(QString::fromLatin1(kServiceName));
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);  // releases the lock
    }
}

QString SingleInstance::lockFilePath() {
    const QString lockName = QString::fromLatin1(kLockFileName);
    // Only absolute folders: a relative one would differ with the current directory.
    const auto usable = [](const QString& folder) {
        return !folder.isEmpty() && QDir::isAbsolutePath(folder);
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (usable(runtime) && QFileInfo(runtime).isDir()) {
        return QDir(runtime).filePath(lockName);
    }
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!usable(config)) {
        const QString home = qEnvironmentVariable("HOME");
        config = usable(home) ? QDir(home).filePath(QStringLiteral(".config")) : QString();
    }
    if (!config.isEmpty()) {
        const QString folder = QDir(config).filePath(QStringLiteral("exambell"));
        if (QDir().mkpath(folder)) {
            return QDir(folder).filePath(lockName);
        }
    }
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("exambell-%1.lock").arg(static_cast<qulonglong>(::getuid())));
}

bool SingleInstance::acquire() {
    if (lockFd_ >= 0) {
        return true;
    }
    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        lockError_ =
            lockPath_ + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return true;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return false;
        }
        // A file system without locks: nothing to decide by, so this program runs.
        lockError_ =
            lockPath_ + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
        return true;
    }
    lockFd_ = fd;
    return true;
}

bool SingleInstance::publish(std::function<void()> activate) {
    activate_ = std::move(activate);
    if (published_) {
        return true;
    }
    if (!bus_.isConnected()) {
        return false;
    }
    auto* adaptor = new ActivationAdaptor(*this);
    if (!bus_.registerObject(QString::fromLatin1(kObjectPath), adaptor,
                             QDBusConnection::ExportAllSlots)) {
        delete adaptor;
        return false;
    }
    // The lock says this is the only program of the user on this machine; a name still held
    // belongs to one that is ending, or to another machine's session: replace it.
    QDBusConnectionInterface* bus = bus_.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus ? bus->registerService(QString::fromLatin1(kServiceName),
                                   QDBusConnectionInterface::ReplaceExistingService,
                                   QDBusConnectionInterface::DontAllowReplacement)
            : QDBusReply<QDBusConnectionInterface::RegisterServiceReply>();
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
        delete adaptor;
        return false;
    }
    published_ = true;
    return true;
}

bool SingleInstance::activateFirst(int timeoutMs) {
    if (!bus_.isConnected() || !bus_.interface()) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    const QString service = QString::fromLatin1(kServiceName);
    QEventLoop loop;
    QTimer expiry;
    expiry.setSingleShot(true);
    QObject::connect(&expiry, &QTimer::timeout, &loop, &QEventLoop::quit);

    // The first program may hold the lock and not yet own its name.
    if (!bus_.interface()->isServiceRegistered(service).value()) {
        QDBusServiceWatcher watcher(service, bus_, QDBusServiceWatcher::WatchForRegistration);
        QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop,
                         &QEventLoop::quit);
        // Asked again once the watcher is in place: the name may have come in between.
        if (!bus_.interface()->isServiceRegistered(service).value()) {
            expiry.start(static_cast<int>(deadline.remainingTime()));
            loop.exec();
            if (!bus_.interface()->isServiceRegistered(service).value()) {
                return false;
            }
        }
    }

    QVariantMap platformData;
    for (const auto& [key, variable] : {std::pair{kActivationToken, "XDG_ACTIVATION_TOKEN"},
                                        std::pair{kStartupId, "DESKTOP_STARTUP_ID"}}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) {
            platformData.insert(QString::fromLatin1(key), value);
        }
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, QString::fromLatin1(kObjectPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Activate"));
    call << platformData;
    // Asynchronous, with a loop of its own: a blocking call would hold up a first program that
    // lives in this same process (the tests).
    const int remaining = std::max<qint64>(deadline.remainingTime(), 1);
    QDBusPendingCallWatcher answer(bus_.asyncCall(call, remaining));
    QObject::connect(&answer, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!answer.isFinished()) {
        expiry.start(remaining);
        loop.exec();
    }
    return answer.isFinished() && !answer.isError();
}

void SingleInstance::takeActivation(const QVariantMap& platformData) {
    const QString token = platformData.value(QString::fromLatin1(kActivationToken)).toString();
    if (!token.isEmpty()) {
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    }
    const QString startupId = platformData.value(QString::fromLatin1(kStartupId)).toString();
    if (!startupId.isEmpty()) {
        qputenv("DESKTOP_STARTUP_ID", startupId.toUtf8());
    }
    if (activate_) {
        activate_();
    }
}

void ActivationAdaptor::Activate(const QVariantMap& platformData) {
    instance_.takeActivation(platformData);
}

void ActivationAdaptor::Open(const QStringList& /*uris*/, const QVariantMap& platformData) {
    instance_.takeActivation(platformData);
}

void ActivationAdaptor::ActivateAction(const QString& /*action*/, const QVariantList& /*parameter*/,
                                       const QVariantMap& platformData) {
    instance_.takeActivation(platformData);
}

}  // namespace exambell
