// The room page's own part in a real browser (headless Chromium, virtual time, no sound allowed):
// the room from the address or the form, what it says about sound and recordings, its cue log,
// and its report in the office's room list.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>

#include "display/DisplayServer.h"
#include "tests/support/FakeClock.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

QString element(const QString& dom, const QString& id) {
    const QRegularExpression re(u"id=\"%1\"[^>]*>([^<]*)<"_qs.arg(id));
    return re.match(dom).captured(1);
}

bool hidden(const QString& dom, const QString& id) {
    return dom.contains(u"id=\"%1\" hidden"_qs.arg(id));
}

class RoomPage : public testing::Test {
  protected:
    void SetUp() override {
        chromium = QStandardPaths::findExecutable(u"chromium"_qs);
        if (chromium.isEmpty()) {
            GTEST_SKIP() << "chromium is not installed";
        }
        ASSERT_TRUE(folder.isValid());
        // 结束 (cue 6) falls 4 s after the office's now; its recording is MIDI.
        clock.set(2026, 1, 2, 10, 59, 56);
        const std::string midi = folder.filePath(u"end.mid"_qs).toStdString();
        std::ofstream(midi, std::ios::binary) << "MThd" << std::string(20, '\0');
        const std::vector<DisplayExam> exams = {DisplayExam{utf8ToGbk("数学"), "09:00", 120, 0}};
        RoomCueSwitches on{};
        on[5] = true;
        std::array<Text, kRoomCueCount> recordings{};
        recordings[5] = midi;
        server.publish(computeDisplayState(exams, clock.now()),
                       localEpochMilliseconds(clock.now()));
        server.rooms().publish(makeRoomFeed(exams, {on}, true, {}, {}, recordings, clock.now()));
        ASSERT_TRUE(server.start("127.0.0.1", 0));
    }

    QString render(const QString& query, int virtualMs) {
        QProcess browser;
        browser.start(chromium, {u"--headless"_qs, u"--no-sandbox"_qs, u"--disable-gpu"_qs,
                                 u"--no-first-run"_qs, u"--user-data-dir="_qs + profile.path(),
                                 u"--virtual-time-budget=%1"_qs.arg(virtualMs), u"--dump-dom"_qs,
                                 u"http://127.0.0.1:%1/%2"_qs.arg(server.port()).arg(query)});
        EXPECT_TRUE(browser.waitForStarted(10000));
        EXPECT_TRUE(browser.waitForFinished(120000)) << "chromium did not finish";
        return QString::fromUtf8(browser.readAllStandardOutput());
    }

    QString chromium;
    QTemporaryDir folder;
    QTemporaryDir profile;
    test::FakeClock clock;
    DisplayServer server;
};

TEST_F(RoomPage, WithoutARoomItAsksForOneAndReportsNothing) {
    const QString dom = render(QString(), 3000);
    EXPECT_FALSE(hidden(dom, u"room-form"_qs)) << dom.toStdString();
    EXPECT_TRUE(hidden(dom, u"room-bar"_qs));
    EXPECT_TRUE(hidden(dom, u"room-sound"_qs));
    // A name too long in the address is no name either.
    const QString tooLong = render(u"?room="_qs + QString(40, u'x'), 3000);
    EXPECT_FALSE(hidden(tooLong, u"room-form"_qs));
    EXPECT_TRUE(server.rooms().rooms(0).empty());
}

TEST_F(RoomPage, ARoomWithoutSoundSaysSoLogsItsCueAsMissedAndReports) {
    const QString dom = render(u"?room=%E8%80%83%E5%9C%BAB"_qs, 8000);  // 考场B
    EXPECT_EQ(element(dom, u"room-name"_qs), QString::fromUtf8("考场 考场B")) << dom.toStdString();
    EXPECT_TRUE(hidden(dom, u"room-form"_qs));
    EXPECT_TRUE(element(dom, u"sound-state"_qs).contains(QString::fromUtf8("声音未开启")));
    EXPECT_FALSE(hidden(dom, u"sound-button"_qs));
    EXPECT_TRUE(element(dom, u"room-notes"_qs).contains(u"MIDI"_qs));
    // The page's log: 结束 at 11:00:00, not played, as sound is off.
    const std::int64_t eleven = (daysFromCivil(2026, 1, 2) * 86400 + 11 * 3600) * 1000;
    EXPECT_TRUE(
        dom.contains(u"data-cue=\"6\" data-at=\"%1\" data-missed=\"sound-off\""_qs.arg(eleven)))
        << dom.toStdString();
    const std::vector<RoomEntry> rooms = server.rooms().rooms(0);
    ASSERT_EQ(rooms.size(), 1U);
    EXPECT_EQ(rooms[0].room, utf8ToGbk("考场B"));
    EXPECT_EQ(rooms[0].sound, RoomSound::Off);
}

}  // namespace
}  // namespace exambell
