#include "rooms/ArrangementSettings.h"

#include <algorithm>

#include "seating/ClassStore.h"
#include "settings/ProfileStore.h"

namespace exambell {

namespace {

constexpr std::string_view kSection = "room_arrangement";
constexpr std::string_view kRoomSection = "room_list";
// Rooms beyond this are not read back: a grade has at most a few hundred.
constexpr int kMaxRooms = 999;

Text roomKey(int number) {
    return "room_" + toText(number);
}

int number(const Text& file, std::string_view key, int fallback, int lo, int hi) {
    const Text value = ProfileStore::read(file, kSection, key, "");
    if (value.empty()) {
        return fallback;
    }
    return static_cast<int>(std::clamp<std::int64_t>(toInteger(value), lo, hi));
}

}  // namespace

ArrangementSettings ArrangementSettings::load(const Text& configFile) {
    ArrangementSettings settings;
    settings.code = ProfileStore::read(configFile, kSection, "code", "");
    settings.fingerprint = ProfileStore::read(configFile, kSection, "fingerprint", "");
    settings.order = static_cast<CandidateOrder>(number(configFile, "order", 0, 0, 2));
    settings.mixed = number(configFile, "mixed", 1, 0, 1) == 1;
    settings.format.prefix = ProfileStore::read(configFile, kSection, "prefix", "");
    settings.format.roomDigits = number(configFile, "room_digits", 2, 0, 3);
    settings.format.seatDigits = number(configFile, "seat_digits", 2, 1, 4);
    settings.exam = ProfileStore::read(configFile, kSection, "exam", "");
    const int rooms = number(configFile, "rooms", 0, 0, kMaxRooms);
    for (int room = 1; room <= rooms; ++room) {
        settings.rooms.push_back(ProfileStore::read(configFile, kRoomSection, roomKey(room), ""));
    }
    return settings;
}

bool ArrangementSettings::save(const Text& configFile) const {
    const ArrangementSettings old = load(configFile);
    const auto put = [&](std::string_view section, std::string_view key, const Text& value) {
        return ProfileStore::write(configFile, section, key, ClassStore::profileValue(value));
    };
    const int count = static_cast<int>(std::min<std::size_t>(rooms.size(), kMaxRooms));
    const int oldCount = static_cast<int>(old.rooms.size());
    bool ok = true;
    // Every write rewrites the whole file: room lines that are stored already are left alone.
    for (int room = 1; room <= count && ok; ++room) {
        if (room > oldCount || old.rooms[room - 1] != rooms[room - 1]) {
            ok = put(kRoomSection, roomKey(room), rooms[room - 1]);
        }
    }
    // Rooms no longer listed are emptied, so that a hand-raised count shows no stale room.
    for (int room = count + 1; room <= oldCount && ok; ++room) {
        ok = put(kRoomSection, roomKey(room), Text());
    }
    return ok && put(kSection, "code", code) && put(kSection, "fingerprint", fingerprint) &&
           put(kSection, "order", toText(static_cast<int>(order))) &&
           put(kSection, "mixed", mixed ? "1" : "0") && put(kSection, "prefix", format.prefix) &&
           put(kSection, "room_digits", toText(format.roomDigits)) &&
           put(kSection, "seat_digits", toText(format.seatDigits)) && put(kSection, "exam", exam) &&
           put(kSection, "rooms", toText(count));
}

}  // namespace exambell
