#include "platform/DBusClockSync.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>

namespace exambell {

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
const QString kProperty = QStringLiteral("NTPSynchronized");

}  // namespace

DBusClockSync::DBusClockSync(QDBusConnection bus) : bus_(std::move(bus)) {}

void DBusClockSync::query(Answer answer) {
    if (!bus_.isConnected()) {
        QTimer::singleShot(0, &context_, [answer] { answer(ClockSyncState::Unknown); });
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kService << kProperty;
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(get, kTimeoutMilliseconds), &context_);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, &context_,
        [answer](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *call;
            if (reply.isError()) {
                answer(ClockSyncState::Unknown);
                return;
            }
            const QVariant value = reply.value().variant();
            if (value.typeId() != QMetaType::Bool) {
                answer(ClockSyncState::Unknown);
                return;
            }
            answer(value.toBool() ? ClockSyncState::Synchronised : ClockSyncState::NotSynchronised);
        });
}

}  // namespace exambell
