#include "seating/ClassStore.h"

namespace exambell {

namespace {

constexpr std::string_view kLineBreakWord = "\xBB\xBB\xD0\xD0";  // 换行
constexpr std::string_view kLineBreak = "\r\n";

Text classElement(std::string_view name, std::string_view joinedNames) {
    Text piece(name);
    piece += ',';
    piece += joinedNames;
    return piece;
}

}  // namespace

Text ClassStore::separatorFor(std::string_view separatorText) {
    return Text(separatorText == kLineBreakWord ? kLineBreak : separatorText);
}

Text ClassStore::className(std::string_view element) {
    const std::size_t comma = element.find(',');
    return comma == std::string_view::npos ? Text() : Text(element.substr(0, comma));
}

std::vector<ClassEntry> ClassStore::entries(std::string_view store) {
    const std::vector<Text> elements = splitText(store, kClassMarker);
    std::vector<ClassEntry> result;
    if (elements.empty()) {
        result.push_back({Text(), 0});
        return result;
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (!elements[i].empty()) {
            result.push_back({className(elements[i]), static_cast<int>(i + 1)});
        }
    }
    return result;
}

std::optional<Text> ClassStore::element(std::string_view store, int value) {
    std::vector<Text> elements = splitText(store, kClassMarker);
    if (value < 1 || static_cast<std::size_t>(value) > elements.size() ||
        elements[value - 1].empty()) {
        return std::nullopt;
    }
    return std::move(elements[value - 1]);
}

LoadedClass ClassStore::load(std::string_view element) {
    const std::vector<Text> parts = splitText(element, ",");
    LoadedClass loaded;
    if (parts.empty()) {
        return loaded;
    }
    loaded.count = static_cast<int>(parts.size()) - 1;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty()) {
            continue;
        }
        if (parts[i].size() > kMaxStudentNameBytes) {
            loaded.tooLong = true;
            break;
        }
        if (!loaded.joined.empty()) {
            loaded.joined += ',';
        }
        loaded.joined += parts[i];
    }
    return loaded;
}

bool ClassStore::breaksFormat(std::string_view name) {
    // config.ini would cut the store at a NUL.
    if (name.find_first_of(std::string_view(",\r\n\0", 4)) != std::string_view::npos) {
        return true;
    }
    // The store puts a marker before a class name and after the last student name: the name must
    // not hold one, nor make one with that marker ("a%class" before "%class%" reads "a" and
    // "class%...").
    Text after(kClassMarker);
    after += name;
    Text before(name);
    before += kClassMarker;
    return findText(after, kClassMarker, 2) > 0 ||
           findText(before, kClassMarker) != static_cast<int>(name.size() + 1);
}

Text ClassStore::profileValue(std::string_view store) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    };
    const bool quoted = store.size() >= 2 && (store.front() == '"' || store.front() == '\'') &&
                        store.back() == store.front();
    if (store.empty() || (!blank(store.front()) && !blank(store.back()) && !quoted)) {
        return Text(store);
    }
    Text wrapped = "\"";
    wrapped += store;
    wrapped += '"';
    return wrapped;
}

Text ClassStore::trimmedClassName(std::string_view name) {
    // Walk whole characters: in GBK a trail byte can look like a blank's byte.
    std::size_t first = name.size();
    std::size_t end = 0;
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        const std::size_t length = lead >= 0x81 && i + 1 < name.size() ? 2 : 1;
        const std::string_view character = name.substr(i, length);
        const bool blank = character == " " || character == "\t" || character == kWideBlank;
        if (!blank) {
            first = std::min(first, i);
            end = i + length;
        }
        i += length;
    }
    return first >= end ? Text() : Text(name.substr(first, end - first));
}

NameProblem ClassStore::checkStudentName(std::string_view name) {
    if (name.size() > kMaxStudentNameBytes) {
        return NameProblem::TooLong;
    }
    return breaksFormat(name) ? NameProblem::BreaksFormat : NameProblem::None;
}

RosterCheck ClassStore::checkRoster(std::string_view roster, std::string_view separator) {
    RosterCheck check;
    for (const Text& part : splitText(roster, separator)) {
        if (part.empty()) {
            continue;
        }
        check.problem = checkStudentName(part);
        if (check.problem != NameProblem::None) {
            check.offendingName = part;
            return check;
        }
        ++check.count;
        if (!check.joined.empty()) {
            check.joined += ',';
        }
        check.joined += part;
    }
    return check;
}

std::optional<Text> ClassStore::withClass(std::string_view store, std::string_view name,
                                          std::string_view joinedNames,
                                          const std::function<bool()>& confirmOverwrite) {
    if (findText(store, name) < 0) {
        Text appended(store);
        appended += kClassMarker;
        appended += classElement(name, joinedNames);
        return appended;
    }
    Text rebuilt;
    bool found = false;
    auto append = [&rebuilt, first = true](std::string_view piece) mutable {
        if (!first) {
            rebuilt += kClassMarker;
        }
        rebuilt += piece;
        first = false;
    };
    for (const Text& old : splitText(store, kClassMarker)) {
        if (old.empty() || old == ",") {
            continue;
        }
        const std::vector<Text> parts = splitText(old, ",");
        if (!parts.empty() && sameClassName(parts.front(), name)) {
            if (!confirmOverwrite()) {
                return std::nullopt;
            }
            found = true;
            append(classElement(name, joinedNames));
        } else {
            append(old);
        }
    }
    if (!found) {
        append(classElement(name, joinedNames));
    }
    return rebuilt;
}

}  // namespace exambell
