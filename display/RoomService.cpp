#include "display/RoomService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {

namespace {

QString utf8(const Text& gbk) {
    return QString::fromStdString(gbkToUtf8(gbk));
}

const std::string* param(const RoomService::Params& params, const char* key) {
    auto it = params.find(key);
    return it == params.end() ? nullptr : &it->second;
}

// A number a page sent: finite and short, else 0.
double number(const RoomService::Params& params, const char* key) {
    const std::string* text = param(params, key);
    if (!text || text->empty() || text->size() > 24) {
        return 0;
    }
    char* end = nullptr;
    const double value = std::strtod(text->c_str(), &end);
    return end == text->c_str() + text->size() && std::isfinite(value) ? value : 0;
}

RoomSound soundOf(const RoomService::Params& params) {
    const std::string* text = param(params, "sound");
    if (!text) {
        return RoomSound::Unknown;
    }
    if (*text == "on") {
        return RoomSound::On;
    }
    if (*text == "off") {
        return RoomSound::Off;
    }
    if (*text == "failed") {
        return RoomSound::Failed;
    }
    return RoomSound::Unknown;
}

}  // namespace

struct RoomService::Recording {
    Text path;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    // "mp3", "wav", "midi" (not served), "other" (not served), "" (missing, unreadable, too big).
    std::string kind;
    QByteArray bytes;
    std::string version;
};

RoomFeed makeRoomFeed(const std::vector<DisplayExam>& exams,
                      const std::vector<RoomCueSwitches>& switches, bool runActive,
                      std::vector<ExtraTimeGroup> groups, std::map<Text, std::size_t> roomGroups,
                      const std::array<Text, kRoomCueCount>& recordings, const LocalTime& now) {
    RoomFeed feed;
    feed.runActive = runActive;
    feed.recordings = recordings;
    const std::int64_t nowMs = localEpochSeconds(now) * 1000;
    auto add = [&](const std::vector<DisplayExam>& lengthened) {
        feed.states.push_back(computeDisplayState(lengthened, now));
        feed.cues.push_back(runActive ? roomCues(lengthened, switches, now, nowMs)
                                      : std::vector<RoomCue>{});
    };
    add(exams);
    for (const ExtraTimeGroup& g : groups) {
        add(withExtraTime(exams, g));
    }
    feed.groups = std::move(groups);
    feed.roomGroups = std::move(roomGroups);
    return feed;
}

RoomService::RoomService() = default;
RoomService::~RoomService() = default;

void RoomService::publish(RoomFeed feed) {
    auto shared = std::make_shared<const RoomFeed>(std::move(feed));
    std::lock_guard<std::mutex> lock(lock_);
    feed_ = std::move(shared);
}

bool RoomService::serves(const std::string& path) {
    return path == "/room" || path.starts_with("/cue/");
}

RoomService::Answer RoomService::answer(const std::string& path, const Params& params,
                                        const std::string& peer, std::int64_t officeMs) {
    if (path == "/room") {
        return roomAnswer(params, peer, officeMs);
    }
    return recordingAnswer(path);
}

std::vector<RoomEntry> RoomService::rooms(std::int64_t officeMs) const {
    std::lock_guard<std::mutex> lock(lock_);
    return rooms_.snapshot(officeMs);
}

void RoomService::clearRooms() {
    std::lock_guard<std::mutex> lock(lock_);
    rooms_.clear();
}

RoomService::Answer RoomService::roomAnswer(const Params& params, const std::string& peer,
                                            std::int64_t officeMs) {
    std::shared_ptr<const RoomFeed> feed;
    std::optional<Text> room;
    if (const std::string* name = param(params, "room")) {
        room = roomNameFromUtf8(*name);
    }
    std::size_t group = 0;
    {
        std::lock_guard<std::mutex> lock(lock_);
        feed = feed_;
        if (room) {
            RoomReport report;
            report.room = *room;
            report.address = peer;
            // The page's corrected clock when it sent, half its round trip on: its clock minus
            // the office's as the office sees it.
            report.roundTripMs = std::clamp(number(params, "rtt"), 0.0, 864e5);
            const double sent = number(params, "t");
            report.offsetMs =
                sent == 0 ? 0 : sent + report.roundTripMs / 2 - static_cast<double>(officeMs);
            report.sound = soundOf(params);
            const double cue = number(params, "cue");
            if (cue >= 1 && cue <= kRoomCueCount && cue == std::floor(cue)) {
                report.lastCue = static_cast<int>(cue);
                report.lastCueAtMs =
                    static_cast<std::int64_t>(std::clamp(number(params, "at"), 0.0, 1e15));
                report.lastCueErrorMs =
                    static_cast<std::int64_t>(std::clamp(number(params, "err"), -864e5, 864e5));
                report.lastCueMissed = param(params, "miss") != nullptr;
            }
            rooms_.report(report, officeMs);
        }
    }
    Answer a;
    if (!feed || feed->states.empty()) {
        a.status = 503;
        return a;
    }
    if (room) {
        auto it = feed->roomGroups.find(*room);
        if (it != feed->roomGroups.end() && it->second < feed->groups.size()) {
            group = it->second + 1;
        }
    }
    QJsonObject extra;
    extra[u"room"] = room ? utf8(*room) : QString();
    extra[u"roomValid"] = room.has_value();
    extra[u"group"] = group > 0 ? utf8(feed->groups[group - 1].name) : QString();
    extra[u"run"] = feed->runActive;
    QJsonArray cues;
    std::array<bool, kRoomCueCount> used{};
    for (const RoomCue& c : feed->cues[group]) {
        QJsonObject o;
        o[u"cue"] = c.cue;
        o[u"atMs"] = static_cast<double>(c.atMs);
        o[u"subject"] = utf8(c.subject);
        cues.append(o);
        used[static_cast<std::size_t>(c.cue - 1)] = true;
    }
    extra[u"cues"] = cues;
    QJsonObject recordings;
    for (int cue = 1; cue <= kRoomCueCount; ++cue) {
        if (!used[static_cast<std::size_t>(cue - 1)]) {
            continue;
        }
        const std::shared_ptr<const Recording> r = recording(cue);
        QJsonObject o;
        o[u"kind"] = QString::fromStdString(r ? r->kind : std::string());
        if (r && (r->kind == "mp3" || r->kind == "wav")) {
            o[u"src"] =
                QStringLiteral("cue/%1?v=%2").arg(cue).arg(QString::fromStdString(r->version));
        }
        recordings[QString::number(cue)] = o;
    }
    extra[u"recordings"] = recordings;

    // The clock as the room's group sees it, the room's fields added to the same object.
    QByteArray body = displayStateJson(feed->states[group], officeMs);
    const QByteArray more = QJsonDocument(extra).toJson(QJsonDocument::Compact);
    body.chop(1);
    body += ',';
    body += more.mid(1);
    a.status = 200;
    a.body = std::move(body);
    a.type = "application/json; charset=utf-8";
    return a;
}

std::shared_ptr<const RoomService::Recording> RoomService::recording(int cue) {
    Text path;
    {
        std::lock_guard<std::mutex> lock(lock_);
        if (!feed_) {
            return nullptr;
        }
        path = feed_->recordings[static_cast<std::size_t>(cue - 1)];
    }
    std::lock_guard<std::mutex> lock(recordingsLock_);
    std::shared_ptr<const Recording>& cached = recordings_[static_cast<std::size_t>(cue - 1)];
    auto made = std::make_shared<Recording>();
    made->path = path;
    std::error_code error;
    const std::filesystem::path file = nativePath(path);
    if (!path.empty()) {
        made->size = std::filesystem::file_size(file, error);
        if (!error) {
            const auto time = std::filesystem::last_write_time(file, error);
            made->modified = static_cast<std::int64_t>(time.time_since_epoch().count());
        }
    }
    if (path.empty() || error) {
        cached = made;
        return cached;
    }
    if (cached && cached->path == path && cached->size == made->size &&
        cached->modified == made->modified) {
        return cached;
    }
    made->version = std::to_string(made->size) + "-" + std::to_string(made->modified);
    if (made->size <= static_cast<std::uintmax_t>(kMaxRecordingBytes)) {
        std::ifstream in(file, std::ios::binary);
        QByteArray bytes(static_cast<qsizetype>(made->size), '\0');
        if (in.read(bytes.data(), bytes.size()) && in.gcount() == bytes.size()) {
            made->bytes = std::move(bytes);
            const QByteArray& b = made->bytes;
            if (b.size() > 11 && b.startsWith("RIFF") && b.mid(8, 4) == "WAVE") {
                made->kind = "wav";
            } else if (b.startsWith("MThd")) {
                made->kind = "midi";
            } else if (b.startsWith("ID3") ||
                       (b.size() > 1 && static_cast<unsigned char>(b[0]) == 0xFF &&
                        (static_cast<unsigned char>(b[1]) & 0xE0) == 0xE0)) {
                made->kind = "mp3";
            } else {
                made->kind = "other";
            }
        }
    }
    if (made->kind != "mp3" && made->kind != "wav") {
        made->bytes.clear();
    }
    cached = made;
    return cached;
}

RoomService::Answer RoomService::recordingAnswer(const std::string& path) {
    Answer a;
    const std::string number = path.substr(5);
    if (number.size() != 1 || number[0] < '1' || number[0] > '0' + kRoomCueCount) {
        return a;
    }
    const std::shared_ptr<const Recording> r = recording(number[0] - '0');
    if (!r || r->bytes.isEmpty()) {
        return a;
    }
    a.status = 200;
    a.body = r->bytes;  // shared, not copied
    a.type = r->kind == "wav" ? "audio/wav" : "audio/mpeg";
    return a;
}

}  // namespace exambell
