#include "display/ExtraTime.h"

#include <algorithm>

#include "text/Encoding.h"

namespace exambell {
namespace {

constexpr std::int64_t kBellMinutes = 15;

const Text& prefix() {
    static const Text text = utf8ToGbk("延时");
    return text;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool isSeparator(std::string_view character) {
    static const Text wide[] = {utf8ToGbk("，"), utf8ToGbk("、"), utf8ToGbk("；"), utf8ToGbk("　")};
    if (character.size() == 1) {
        const char c = character[0];
        return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    }
    return std::find(std::begin(wide), std::end(wide), character) != std::end(wide);
}

}  // namespace

std::optional<ExtraTimeGroup> parseExtraTimeGroup(std::string_view gbkName) {
    static const Text percentWide = utf8ToGbk("％");
    static const Text minutes = utf8ToGbk("分钟");
    const std::string_view name = trimmed(gbkName);
    if (!name.starts_with(prefix())) {
        return std::nullopt;
    }
    std::string_view rest = name.substr(prefix().size());
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || digits > 4) {
        return std::nullopt;
    }
    const int amount = static_cast<int>(toInteger(rest.substr(0, digits)));
    const std::string_view unit = rest.substr(digits);
    ExtraTimeGroup group;
    group.name = Text(name);
    group.amount = amount;
    if (unit == "%" || unit == percentWide) {
        group.kind = ExtraTimeGroup::Kind::Percent;
        if (amount < 1 || amount > ExtraTimeGroup::kMaxPercent) {
            return std::nullopt;
        }
    } else if (unit == minutes) {
        group.kind = ExtraTimeGroup::Kind::Minutes;
        if (amount < 1 || amount > ExtraTimeGroup::kMaxMinutes) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    return group;
}

bool parseExtraTimeGroups(std::string_view gbkList, std::vector<ExtraTimeGroup>& groups,
                          Text& bad) {
    groups.clear();
    bad.clear();
    std::vector<Text> names;
    Text current;
    for (std::size_t i = 0; i < gbkList.size();) {
        const std::size_t length = std::max<std::size_t>(gbkCharLength(gbkList, i), 1);
        const std::string_view character = gbkList.substr(i, length);
        if (isSeparator(character)) {
            if (!current.empty()) {
                names.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += character;
        }
        i += length;
    }
    if (!current.empty()) {
        names.push_back(std::move(current));
    }
    for (const Text& name : names) {
        std::optional<ExtraTimeGroup> group = parseExtraTimeGroup(name);
        if (!group || groups.size() >= kMaxExtraTimeGroups) {
            bad = name;
            groups.clear();
            return false;
        }
        const bool known = std::any_of(groups.begin(), groups.end(), [&](const ExtraTimeGroup& g) {
            return g.kind == group->kind && g.amount == group->amount;
        });
        if (!known) {
            groups.push_back(std::move(*group));
        }
    }
    return true;
}

Text extraTimeGroupsText(const std::vector<ExtraTimeGroup>& groups) {
    static const Text separator = utf8ToGbk("、");
    Text text;
    for (const ExtraTimeGroup& g : groups) {
        if (!text.empty()) {
            text += separator;
        }
        text += g.name;
    }
    return text;
}

std::int64_t extraMinutes(const ExtraTimeGroup& group, std::int64_t durationMinutes) {
    if (durationMinutes <= 0) {
        return 0;
    }
    // No exam lasts beyond a day (the clock clamps it so): a duration typed as any number stays
    // far from overflow here.
    durationMinutes = std::min<std::int64_t>(durationMinutes, 24 * 60);
    if (group.kind == ExtraTimeGroup::Kind::Minutes) {
        return group.amount;
    }
    return (durationMinutes * group.amount + 99) / 100;
}

std::vector<DisplayExam> withExtraTime(std::vector<DisplayExam> exams,
                                       const ExtraTimeGroup& group) {
    for (DisplayExam& e : exams) {
        const std::int64_t duration = std::clamp<std::int64_t>(e.duration, 0, 24 * 60);
        e.duration = duration + extraMinutes(group, duration);
    }
    return exams;
}

std::vector<RoomCue> roomCues(const std::vector<DisplayExam>& exams,
                              const std::vector<RoomCueSwitches>& switches, const LocalTime& now,
                              std::int64_t fromMs) {
    // The exams placed as the clock places them, so that the cues and the clock agree.
    const DisplayState placed = computeDisplayState(exams, now);
    std::vector<RoomCue> cues;
    std::size_t p = 0;
    for (std::size_t i = 0; i < exams.size() && i < switches.size(); ++i) {
        if (displayStartMinutes(exams[i].start) < 0) {
            continue;  // left out by computeDisplayState as well
        }
        if (p >= placed.exams.size()) {
            break;
        }
        const PlacedExam& e = placed.exams[p++];
        const RoomCueSwitches& on = switches[i];
        auto add = [&](int cue, std::int64_t second) {
            if (second * 1000 >= fromMs) {
                cues.push_back(RoomCue{cue, second * 1000, e.subject});
            }
        };
        const std::int64_t start = e.startSecond;
        const std::int64_t end = e.endSecond;
        const std::int64_t offsets[] = {15 * 60, 8 * 60, 5 * 60, 0};
        for (int c = 1; c <= 4; ++c) {
            if (on[static_cast<std::size_t>(c - 1)]) {
                add(c, start - offsets[c - 1]);
            }
        }
        if (on[4]) {
            add(5, end - 15 * 60);
        }
        if (on[5]) {
            add(6, end);
        }
        if (on[6]) {
            const std::int64_t count = (end - start) / 60 / kBellMinutes;
            for (std::int64_t k = count - 1; k >= 0; --k) {
                const std::int64_t at = end - k * kBellMinutes * 60;
                if ((k == 1 && on[4]) || (k == 0 && on[5])) {
                    continue;
                }
                add(7, at);
            }
        }
    }
    std::stable_sort(cues.begin(), cues.end(),
                     [](const RoomCue& a, const RoomCue& b) { return a.atMs < b.atMs; });
    return cues;
}

}  // namespace exambell
