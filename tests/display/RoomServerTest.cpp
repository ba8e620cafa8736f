// The room pages' side of the server on 127.0.0.1: a room's clock and cues by its extra-time
// group, its report taken into the room list, the recordings, and what it refuses.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <fstream>

#include "display/DisplayServer.h"
#include "tests/support/FakeClock.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

std::int64_t at(int hour, int minute) {
    return (daysFromCivil(2026, 1, 2) * 86400 + hour * 3600 + minute * 60) * 1000;
}

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

class RoomServer : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        wav = folder.filePath(u"结束.wav"_qs);
        writeFile(wav, std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(40, '\0'));
        writeFile(folder.filePath(u"warn.mp3"_qs), "ID3\x04" + std::string(60, 'x'));
        writeFile(folder.filePath(u"bell.mid"_qs), "MThd" + std::string(20, '\0'));
        clock.set(2026, 1, 2, 10, 40, 0);
        publish();
        ASSERT_TRUE(server.start("127.0.0.1", 0));
    }

    void publish() {
        const std::vector<DisplayExam> exams = {DisplayExam{utf8ToGbk("数学"), "09:00", 105, 0}};
        RoomCueSwitches on{};
        on[4] = on[5] = on[6] = true;  // 结束前15分钟, 结束, the bells
        std::vector<ExtraTimeGroup> groups = {*parseExtraTimeGroup(utf8ToGbk("延时15分钟"))};
        std::array<Text, kRoomCueCount> recordings{};
        recordings[4] = utf8ToGbk(folder.filePath(u"warn.mp3"_qs).toStdString());
        recordings[5] = utf8ToGbk(wav.toStdString());
        recordings[6] = utf8ToGbk(folder.filePath(u"bell.mid"_qs).toStdString());
        server.publish(computeDisplayState(exams, clock.now()),
                       localEpochMilliseconds(clock.now()));
        server.rooms().publish(makeRoomFeed(exams, {on}, true, groups, {{utf8ToGbk("考场B"), 0}},
                                            recordings, clock.now()));
    }

    QJsonObject room(const std::string& query) {
        httplib::Client client("127.0.0.1", server.port());
        auto r = client.Get("/room?" + query);
        EXPECT_TRUE(r);
        if (!r) {
            return {};
        }
        EXPECT_EQ(r->status, 200);
        EXPECT_EQ(r->get_header_value("Cache-Control"), "no-store");
        lastBody = r->body;
        return QJsonDocument::fromJson(QByteArray::fromStdString(r->body)).object();
    }

    QTemporaryDir folder;
    QString wav;
    test::FakeClock clock;
    DisplayServer server;
    std::string lastBody;
};

TEST_F(RoomServer, EachRoomGetsItsGroupsClockAndCues) {
    // An ordinary room: ends 10:45, its 结束 at 10:45.
    QJsonObject a = room("room=A&t=0&rtt=3&sound=on");
    EXPECT_EQ(a[u"room"].toString(), u"A"_qs);
    EXPECT_EQ(a[u"group"].toString(), QString());
    EXPECT_EQ(a[u"end"].toString(), u"10:45"_qs);
    EXPECT_TRUE(a[u"lastStretch"].toBool());
    QJsonArray cues = a[u"cues"].toArray();
    ASSERT_EQ(cues.size(), 1);
    EXPECT_EQ(cues[0][u"cue"].toInt(), 6);
    EXPECT_EQ(static_cast<std::int64_t>(cues[0][u"atMs"].toDouble()), at(10, 45));

    // A room of 延时15分钟 (named in UTF-8, kept in GBK): its own end, warning and bells.
    QJsonObject b = room("room=%E8%80%83%E5%9C%BAB");
    EXPECT_EQ(b[u"group"].toString(), QString::fromUtf8("延时15分钟"));
    EXPECT_EQ(b[u"end"].toString(), u"11:00"_qs);
    EXPECT_FALSE(b[u"lastStretch"].toBool());
    cues = b[u"cues"].toArray();
    ASSERT_EQ(cues.size(), 2);
    EXPECT_EQ(cues[0][u"cue"].toInt(), 5);
    EXPECT_EQ(static_cast<std::int64_t>(cues[0][u"atMs"].toDouble()), at(10, 45));
    EXPECT_EQ(cues[1][u"cue"].toInt(), 6);
    EXPECT_EQ(static_cast<std::int64_t>(cues[1][u"atMs"].toDouble()), at(11, 0));
    // Which recordings the page can load, by cue number and version; never a file name.
    const QJsonObject recordings = b[u"recordings"].toObject();
    EXPECT_EQ(recordings[u"5"][u"kind"].toString(), u"mp3"_qs);
    EXPECT_TRUE(recordings[u"5"][u"src"].toString().startsWith(u"cue/5?v="_qs));
    EXPECT_EQ(recordings[u"6"][u"kind"].toString(), u"wav"_qs);
    EXPECT_EQ(lastBody.find(".wav"), std::string::npos);
    EXPECT_EQ(lastBody.find(folder.path().toStdString()), std::string::npos);

    // No room, or a name the office cannot keep: the school's clock, and no report.
    EXPECT_EQ(room("t=1")[u"roomValid"].toBool(true), false);
    EXPECT_EQ(room("room=" + std::string(40, 'x'))[u"end"].toString(), u"10:45"_qs);
    EXPECT_EQ(room("room=%F0%9F%98%80")[u"roomValid"].toBool(true), false);
    EXPECT_EQ(server.rooms().rooms(localEpochMilliseconds(clock.now())).size(), 2U);
}

TEST_F(RoomServer, AReportIsTakenWithTheOfficesMeasureOfTheClock) {
    const double office = static_cast<double>(server.officeMilliseconds());
    // The page's corrected clock when it sent, 250 ms ahead of the office's, round trip 8 ms.
    room("room=12&rtt=8&sound=failed&cue=6&at=1767350700000&err=-12&t=" +
         std::to_string(static_cast<std::int64_t>(office + 250)));
    const std::vector<RoomEntry> rooms = server.rooms().rooms(localEpochMilliseconds(clock.now()));
    ASSERT_EQ(rooms.size(), 1U);
    EXPECT_EQ(rooms[0].room, "12");
    EXPECT_EQ(rooms[0].address, "127.0.0.1");
    EXPECT_NEAR(rooms[0].offsetMs, 254, 60);
    EXPECT_EQ(rooms[0].roundTripMs, 8);
    EXPECT_EQ(rooms[0].sound, RoomSound::Failed);
    EXPECT_EQ(rooms[0].lastCue, 6);
    EXPECT_EQ(rooms[0].lastCueErrorMs, -12);
    EXPECT_FALSE(rooms[0].lastCueMissed);
    // Numbers that are no numbers count as none.
    room("room=12&rtt=1e999&t=abc&cue=9&sound=loud");
    const RoomEntry e = server.rooms().rooms(localEpochMilliseconds(clock.now()))[0];
    EXPECT_EQ(e.offsetMs, 0);
    EXPECT_EQ(e.roundTripMs, 0);
    EXPECT_EQ(e.sound, RoomSound::Unknown);
    EXPECT_EQ(e.lastCue, 6);  // kept from before
}

TEST_F(RoomServer, ServesMp3AndWavAsTheyAreAndNothingElse) {
    httplib::Client client("127.0.0.1", server.port());
    auto r = client.Get("/cue/6");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->get_header_value("Content-Type"), "audio/wav");
    EXPECT_EQ(r->body.size(), 56U);
    r = client.Get("/cue/5");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->get_header_value("Content-Type"), "audio/mpeg");
    // MIDI is not served; nor a cue without a recording, nor anything else under /cue/.
    for (const char* path :
         {"/cue/7", "/cue/1", "/cue/0", "/cue/8", "/cue/55", "/cue/", "/cue/6/../5", "/cue/6x"}) {
        r = client.Get(path);
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->status, 404) << path;
    }
    // A recording replaced while the program runs is served new, with a new version.
    const QString before = room("room=A")[u"recordings"][u"6"][u"src"].toString();
    writeFile(wav, std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(80, '\0'));
    const QString after = room("room=A")[u"recordings"][u"6"][u"src"].toString();
    EXPECT_NE(before, after);
    r = client.Get("/cue/6");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->body.size(), 96U);
    // A recording gone: the page is told, and nothing is served.
    QFile::remove(wav);
    EXPECT_EQ(room("room=A")[u"recordings"][u"6"][u"kind"].toString(), QString());
    r = client.Get("/cue/6");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 404);
}

}  // namespace
}  // namespace exambell
