#pragma once
// One program per user: a second start brings the first program's main window forward and ends
// before it opens a window or the audio, so that no two programs ever run the day's cues.
//
// The first program holds an exclusive lock (flock) on a file of the user's own: the kernel
// drops it when the process ends, a crash included, so a stale file never keeps the program
// from starting. Holding the lock decides; the session bus only carries the request to come
// forward: the first program owns the name org.exambell.ExamBell and answers
// org.freedesktop.Application.Activate on /org/exambell/ExamBell. Without a session bus the
// lock still keeps a second program from running; it then cannot raise the first.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace exambell {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kServiceName = "org.exambell.ExamBell";
    static constexpr const char* kObjectPath = "/org/exambell/ExamBell";
    static constexpr const char* kInterface = "org.freedesktop.Application";

    // lockPath: the lock file (lockFilePath() in the program); bus: the session bus.
    SingleInstance(QString lockPath, QDBusConnection bus);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The lock file of this user, whichever folder the program runs from:
    // $XDG_RUNTIME_DIR/exambell.lock; without a runtime folder, exambell.lock in
    // $XDG_CONFIG_HOME/exambell or ~/.config/exambell (made when missing); without a home,
    // exambell-<uid>.lock in the temporary folder.
    static QString lockFilePath();

    // True when this process is the first (it now holds the lock until it ends). False when
    // another program of this user holds it. A lock file that cannot be opened at all (a
    // folder without write access) counts as first: the program must start on the day.
    bool acquire();
    const QString& lockError() const { return lockError_; }

    // First program: owns the bus name and calls activate for each request to come forward.
    // False when there is no session bus or the name is taken (the lock still holds).
    bool publish(std::function<void()> activate);

    // Second program: asks the first to come forward, waiting up to timeoutMs for the first to
    // take its name (it may still be starting) and to answer. True when it answered.
    bool activateFirst(int timeoutMs);

  private:
    friend class ActivationAdaptor;
    void takeActivation(const QVariantMap& platformData);

    QString lockPath_;
    QDBusConnection bus_;
    int lockFd_ = -1;
    QString lockError_;
    bool published_ = false;
    std::function<void()> activate_;
};

// What the bus sees at /org/exambell/ExamBell: the three methods of org.freedesktop.Application.
// Each brings the main window forward; the program opens no files and has no actions.
class ActivationAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
  public:
    explicit ActivationAdaptor(SingleInstance& instance)
        : QObject(&instance), instance_(instance) {}

  public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& action, const QVariantList& parameter,
                        const QVariantMap& platformData);

  private:
    SingleInstance& instance_;
};

}  // namespace exambell
