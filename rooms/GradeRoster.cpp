#include "rooms/GradeRoster.h"

#include <algorithm>

#include "seating/ClassStore.h"
#include "settings/ProfileStore.h"

namespace exambell {

namespace {

constexpr std::string_view kIndexSection = "grade_roster";
constexpr std::string_view kCountKey = "classes";

Text classSection(int number) {
    return "grade_class_" + toText(number);
}

Text chunkKey(int part) {
    return "names_" + toText(part);
}

}  // namespace

std::vector<GradeClass> GradeRoster::all() const {
    std::vector<GradeClass> result;
    const std::int64_t count =
        toInteger(ProfileStore::read(configFile_, kIndexSection, kCountKey, ""));
    for (int number = 1; number <= count && number <= 10000; ++number) {
        const Text section = classSection(number);
        GradeClass grade;
        grade.name = ProfileStore::read(configFile_, section, "name", "");
        const std::int64_t parts = toInteger(ProfileStore::read(configFile_, section, "parts", ""));
        for (int part = 1; part <= parts && part <= 1000; ++part) {
            for (Text& name :
                 splitText(ProfileStore::read(configFile_, section, chunkKey(part), ""), ",")) {
                if (!name.empty()) {
                    grade.names.push_back(std::move(name));
                }
            }
        }
        result.push_back(std::move(grade));
    }
    return result;
}

std::vector<GradeClass> GradeRoster::classes() const {
    std::vector<GradeClass> result = all();
    std::erase_if(result, [](const GradeClass& g) { return g.name.empty(); });
    return result;
}

bool GradeRoster::write(int number, const GradeClass& grade) const {
    const Text section = classSection(number);
    std::vector<Text> chunks;
    for (const Text& name : grade.names) {
        if (chunks.empty() || chunks.back().size() + 1 + name.size() > kChunkBytes) {
            chunks.push_back(name);
        } else {
            chunks.back() += "," + name;
        }
    }
    for (std::size_t part = 0; part < chunks.size(); ++part) {
        if (!ProfileStore::write(configFile_, section, chunkKey(static_cast<int>(part) + 1),
                                 ClassStore::profileValue(chunks[part]))) {
            return false;
        }
    }
    return ProfileStore::write(configFile_, section, "name",
                               ClassStore::profileValue(grade.name)) &&
           ProfileStore::write(configFile_, section, "parts",
                               toText(static_cast<std::int64_t>(chunks.size())));
}

bool GradeRoster::save(const GradeClass& grade) const {
    const std::vector<GradeClass> stored = all();
    const auto same = std::find_if(stored.begin(), stored.end(),
                                   [&](const GradeClass& g) { return g.name == grade.name; });
    if (same != stored.end()) {
        return write(static_cast<int>(same - stored.begin()) + 1, grade);
    }
    const int number = static_cast<int>(stored.size()) + 1;
    return write(number, grade) &&
           ProfileStore::write(configFile_, kIndexSection, kCountKey, toText(number));
}

bool GradeRoster::remove(const Text& name) const {
    std::vector<GradeClass> stored = all();
    const auto same = std::find_if(stored.begin(), stored.end(),
                                   [&](const GradeClass& g) { return g.name == name; });
    if (same == stored.end()) {
        return false;
    }
    const int from = static_cast<int>(same - stored.begin()) + 1;
    stored.erase(same);
    // The classes after it move one section up; the count shrinks last, so that a failure
    // leaves every class readable (the last one perhaps twice).
    for (int number = from; number <= static_cast<int>(stored.size()); ++number) {
        if (!write(number, stored[number - 1])) {
            return false;
        }
    }
    return ProfileStore::write(configFile_, kIndexSection, kCountKey,
                               toText(static_cast<std::int64_t>(stored.size())));
}

}  // namespace exambell
