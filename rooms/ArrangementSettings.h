#pragma once
// What the arrangement window keeps in config.ini, so that opening it again shows the same
// arrangement: section "room_arrangement" (code, fingerprint, order, mixed, prefix, room_digits,
// seat_digits, exam, rooms) and section "room_list" with one key "room_N" per room line.

#include "rooms/RoomPlan.h"
#include "text/Text.h"

namespace exambell {

struct ArrangementSettings {
    Text code;         // the draw code of the last arrangement, "" before one
    Text fingerprint;  // the roster fingerprint of that arrangement
    CandidateOrder order = CandidateOrder::Random;
    bool mixed = true;
    NumberFormat format;
    Text exam;                // the exam's name on the printed pages
    std::vector<Text> rooms;  // the lines of the rooms box, as typed
    bool operator==(const ArrangementSettings&) const = default;

    // The settings in configFile; the defaults where a key is missing.
    static ArrangementSettings load(const Text& configFile);
    // False when config.ini could not be written.
    bool save(const Text& configFile) const;
};

}  // namespace exambell
