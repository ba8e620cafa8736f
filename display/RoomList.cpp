#include "display/RoomList.h"

#include <QList>
#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

#include "text/Encoding.h"

namespace exambell {

std::optional<Text> roomNameFromUtf8(std::string_view utf8) {
    // Far longer than any name: not even decoded.
    if (utf8.size() > RoomList::kMaxNameCharacters * 4 + 64) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (decoder.hasError()) {
        return std::nullopt;
    }
    name = name.trimmed();
    if (name.isEmpty()) {
        return std::nullopt;
    }
    std::size_t characters = 0;
    for (const uint c : name.toUcs4()) {
        ++characters;
        // "<" and ">" would let a name pass for rich text where Qt guesses the format (tooltips).
        if (c == '<' || c == '>') {
            return std::nullopt;
        }
        const QChar::Category category = QChar::category(c);
        // Control and format characters (line breaks, bidirectional overrides) and unassigned
        // or private code points make no room name.
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Other_NotAssigned || category == QChar::Other_PrivateUse ||
            category == QChar::Other_Surrogate || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph) {
            return std::nullopt;
        }
    }
    if (characters > RoomList::kMaxNameCharacters) {
        return std::nullopt;
    }
    const std::u16string utf16 = name.toStdU16String();
    if (firstNonGbkCharacter(utf16)) {
        return std::nullopt;
    }
    return utf16ToGbk(utf16);
}

bool RoomList::takeToken(const std::string& address, std::int64_t nowMs) {
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (buckets_.size() >= kMaxAddresses) {
            // Addresses whose bucket has filled up again are as good as new: forget them.
            std::erase_if(buckets_, [&](const auto& b) {
                return b.second.tokens + static_cast<double>(nowMs - b.second.atMs) / 1000.0 *
                                             kReportsPerSecond >=
                       kBurst;
            });
            if (buckets_.size() >= kMaxAddresses) {
                return false;
            }
        }
        it = buckets_.emplace(address, Bucket{kBurst, nowMs}).first;
    }
    Bucket& b = it->second;
    // A clock set back refills nothing and takes nothing away.
    const std::int64_t elapsed = std::max<std::int64_t>(nowMs - b.atMs, 0);
    b.tokens =
        std::min(kBurst, b.tokens + static_cast<double>(elapsed) / 1000.0 * kReportsPerSecond);
    b.atMs = nowMs;
    if (b.tokens < 1) {
        return false;
    }
    b.tokens -= 1;
    return true;
}

RoomList::Outcome RoomList::report(const RoomReport& report, std::int64_t nowMs) {
    if (!takeToken(report.address, nowMs)) {
        return Outcome::RateLimited;
    }
    auto it = rooms_.find(report.room);
    if (it == rooms_.end()) {
        if (rooms_.size() >= kMaxRooms) {
            // The room silent longest makes way, once it has been silent for a long time.
            auto oldest = std::min_element(
                rooms_.begin(), rooms_.end(),
                [](const auto& a, const auto& b) { return a.second.lastMs < b.second.lastMs; });
            if (nowMs - oldest->second.lastMs < kForgetAfterMs) {
                return Outcome::Full;
            }
            rooms_.erase(oldest);
        }
        RoomEntry entry;
        entry.room = report.room;
        entry.firstMs = nowMs;
        it = rooms_.emplace(report.room, std::move(entry)).first;
    }
    RoomEntry& e = it->second;
    e.address = report.address.substr(0, 64);
    e.lastMs = nowMs;
    // Figures a page could send as anything: kept finite and within a day.
    auto bounded = [](double v) { return std::isfinite(v) ? std::clamp(v, -864e5, 864e5) : 0.0; };
    e.offsetMs = bounded(report.offsetMs);
    e.roundTripMs = bounded(report.roundTripMs);
    e.sound = report.sound;
    if (report.lastCue >= 1 && report.lastCue <= 7) {
        e.lastCue = report.lastCue;
        e.lastCueAtMs = report.lastCueAtMs;
        e.lastCueErrorMs = std::clamp<std::int64_t>(report.lastCueErrorMs, -86400000, 86400000);
        e.lastCueMissed = report.lastCueMissed;
    }
    ++e.reports;
    return Outcome::Taken;
}

std::vector<RoomEntry> RoomList::snapshot(std::int64_t nowMs) const {
    std::vector<RoomEntry> out;
    out.reserve(rooms_.size());
    for (const auto& [name, entry] : rooms_) {
        out.push_back(entry);
        out.back().silent = nowMs - entry.lastMs > kSilentAfterMs;
    }
    return out;
}

void RoomList::clear() {
    rooms_.clear();
    buckets_.clear();
}

std::vector<Text> silentRooms(const std::vector<RoomEntry>& rooms) {
    std::vector<Text> out;
    for (const RoomEntry& r : rooms) {
        if (r.silent) {
            out.push_back(r.room);
        }
    }
    return out;
}

}  // namespace exambell
