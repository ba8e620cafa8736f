#pragma once
// The rosters of a grade in config.ini: one section per class, so that a grade of 2,000 names
// is not held to the 10,239 bytes of one value. Section "grade_roster" key "classes" holds the
// number of classes; section "grade_class_N" (N from 1) holds "name", "parts" and the names
// joined by "," in "names_1" .. "names_<parts>", each at most kChunkBytes long. The seating
// window's class store ("Class_") is not touched.

#include <optional>
#include <vector>

#include "rooms/RoomPlan.h"
#include "text/Text.h"

namespace exambell {

class GradeRoster {
  public:
    // Well under what one value can take, so a chunk never gets cut on reading.
    static constexpr std::size_t kChunkBytes = 8000;

    explicit GradeRoster(Text configFile) : configFile_(std::move(configFile)) {}

    // Every stored class, in stored order (a class saved with no names has none).
    std::vector<GradeClass> classes() const;
    // Saves the class, replacing the one of the same name in its place or adding it at the
    // end. False when config.ini could not be written; a class that was there may then be
    // half replaced only if the disk failed between two of its values.
    bool save(const GradeClass& grade) const;
    // Removes the class of that name, the others keeping their order. False when there is no
    // such class or the file could not be written.
    bool remove(const Text& name) const;

  private:
    // Every section up to the count, unnamed ones (a hand-edited file) included.
    std::vector<GradeClass> all() const;
    bool write(int number, const GradeClass& grade) const;
    Text configFile_;
};

}  // namespace exambell
