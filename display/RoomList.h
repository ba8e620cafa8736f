#pragma once
// The room pages the office has heard from: what each page last reported (its room, address,
// clock offset and round trip, whether its sound is on) and when. It holds only what pages sent;
// an extra-time group is the office's own choice and lives elsewhere.
//
// Every byte of a report comes from the network: the list is bounded (kMaxRooms rooms, names of
// at most kMaxNameCharacters characters that GBK can hold), reports are rate-limited per address
// (a bucket of kBurst reports, refilled at kReportsPerSecond), and the number of addresses it
// tracks for that is bounded too. Times are the office's local milliseconds
// (localEpochMilliseconds), given by the caller: tests drive them.
//
// Not thread-safe: the display server holds it under its lock.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "text/Text.h"

namespace exambell {

enum class RoomSound {
    Unknown,  // the page did not say
    Off,      // 开启声音 not clicked yet
    On,       // sound on: the page plays the cues
    Failed,   // sound on, but a recording could not be loaded
};

struct RoomReport {
    Text room;            // GBK, already checked by roomNameFromUtf8
    std::string address;  // the peer's IP address as the server saw it
    // The page's corrected clock minus the office's, as measured by the page's best round trip
    // (ms); and that round trip (ms).
    double offsetMs = 0;
    double roundTripMs = 0;
    RoomSound sound = RoomSound::Unknown;
    // The page's last cue from its own log: cue 1 .. 7 (0: none yet), its moment (office ms),
    // and when it started by the page's corrected clock, less the moment; or missed.
    int lastCue = 0;
    std::int64_t lastCueAtMs = 0;
    std::int64_t lastCueErrorMs = 0;
    bool lastCueMissed = false;
};

struct RoomEntry {
    Text room;
    std::string address;
    std::int64_t firstMs = 0;
    std::int64_t lastMs = 0;  // last report taken
    double offsetMs = 0;
    double roundTripMs = 0;
    RoomSound sound = RoomSound::Unknown;
    std::int64_t reports = 0;
    int lastCue = 0;
    std::int64_t lastCueAtMs = 0;
    std::int64_t lastCueErrorMs = 0;
    bool lastCueMissed = false;
    bool silent = false;  // filled by snapshot: not heard from for more than kSilentAfterMs
};

class RoomList {
  public:
    static constexpr std::size_t kMaxRooms = 500;
    static constexpr std::size_t kMaxNameCharacters = 32;
    static constexpr std::size_t kMaxAddresses = 2048;
    static constexpr std::int64_t kSilentAfterMs = 10000;
    static constexpr double kBurst = 8;
    static constexpr double kReportsPerSecond = 2;
    // A room not heard from for this long is dropped to make room for a new one when full.
    static constexpr std::int64_t kForgetAfterMs = 10 * 60 * 1000;

    enum class Outcome { Taken, RateLimited, Full };

    Outcome report(const RoomReport& report, std::int64_t nowMs);

    // Every room in the order of its name (as bytes), with silent set for nowMs.
    std::vector<RoomEntry> snapshot(std::int64_t nowMs) const;
    std::size_t size() const { return rooms_.size(); }
    void clear();

  private:
    struct Bucket {
        double tokens = kBurst;
        std::int64_t atMs = 0;
    };
    bool takeToken(const std::string& address, std::int64_t nowMs);

    std::map<Text, RoomEntry> rooms_;
    std::map<std::string, Bucket> buckets_;
};

// A room name as a page sends it (UTF-8), as the office keeps it (GBK): blanks around it
// trimmed; none when empty, longer than RoomList::kMaxNameCharacters characters, not valid
// UTF-8, holding a control character, "<" or ">", or a character GBK cannot hold.
std::optional<Text> roomNameFromUtf8(std::string_view utf8);

// Silent rooms in the order of snapshot.
std::vector<Text> silentRooms(const std::vector<RoomEntry>& rooms);

}  // namespace exambell
