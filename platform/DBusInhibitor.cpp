#include "platform/DBusInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "text/Encoding.h"

namespace exambell {

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kLoginService = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginManager = QStringLiteral("org.freedesktop.login1.Manager");
// Sleep by any means, and the idle action (which may be to suspend); the computer may still be
// shut down.
const QString kWhat = QStringLiteral("sleep:idle");
const QString kBlock = QStringLiteral("block");

QDBusMessage screenSaverCall(const QString& method) {
    return QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPath,
                                          kScreenSaverService, method);
}

}  // namespace

DBusInhibitor::DBusInhibitor(QDBusConnection session, QDBusConnection system)
    : session_(std::move(session)), system_(std::move(system)) {}

DBusInhibitor::~DBusInhibitor() {
    release();
}

void DBusInhibitor::hold(const Text& reason) {
    if (state_ != InhibitState::Released) {
        return;
    }
    const std::uint64_t holding = ++holding_;
    waiting_ = 2;
    granted_ = false;
    setState(InhibitState::Pending);
    const QString application = QString::fromUtf8(kApplicationName);
    const QString why = QString::fromStdString(gbkToUtf8(reason));

    auto whenAnswered = [this, holding](const QDBusConnection& bus, const QDBusMessage& call,
                                        auto take) {
        if (!bus.isConnected()) {
            QMetaObject::invokeMethod(
                &context_,
                [this, holding] {
                    if (holding == holding_)
                        answered(false);
                },
                Qt::QueuedConnection);
            return;
        }
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), &context_);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context_,
                         [this, holding, take](QDBusPendingCallWatcher* finished) {
                             finished->deleteLater();
                             take(*finished, holding == holding_);
                         });
    };

    QDBusMessage inhibit = screenSaverCall(QStringLiteral("Inhibit"));
    inhibit << application << why;
    whenAnswered(session_, inhibit, [this](const QDBusPendingCall& call, bool current) {
        const QDBusPendingReply<std::uint32_t> reply = call;
        if (reply.isError()) {
            if (current) {
                answered(false);
            }
            return;
        }
        if (!current) {  // released meanwhile
            QDBusMessage undo = screenSaverCall(QStringLiteral("UnInhibit"));
            undo << reply.value();
            session_.asyncCall(undo);
            return;
        }
        cookie_ = reply.value();
        answered(true);
    });

    QDBusMessage sleep = QDBusMessage::createMethodCall(kLoginService, kLoginPath, kLoginManager,
                                                        QStringLiteral("Inhibit"));
    sleep << kWhat << application << why << kBlock;
    whenAnswered(system_, sleep, [this](const QDBusPendingCall& call, bool current) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = call;
        if (reply.isError() || !reply.value().isValid()) {
            if (current) {
                answered(false);
            }
            return;
        }
        if (current) {  // else the descriptor goes out of scope here, which releases it
            sleepLock_ = reply.value();
            answered(true);
        }
    });
}

void DBusInhibitor::answered(bool granted) {
    --waiting_;
    granted_ = granted_ || granted;
    if (granted) {
        setState(InhibitState::Held);
    } else if (waiting_ == 0 && !granted_) {
        setState(InhibitState::Unavailable);
    }
}

void DBusInhibitor::release() {
    if (state_ == InhibitState::Released) {
        return;
    }
    ++holding_;
    if (cookie_) {
        QDBusMessage undo = screenSaverCall(QStringLiteral("UnInhibit"));
        undo << *cookie_;
        session_.asyncCall(undo);
        cookie_.reset();
    }
    sleepLock_ = QDBusUnixFileDescriptor();
    setState(InhibitState::Released);
}

void DBusInhibitor::setState(InhibitState state) {
    if (state != state_) {
        state_ = state;
        stateChanged(state);
    }
}

}  // namespace exambell
