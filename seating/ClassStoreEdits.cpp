// Renaming and removing a stored class: the store rebuilt with the other classes in their order.
#include "seating/ClassStore.h"

namespace exambell {

namespace {

// Rebuilds the store from its elements, element number value (1-based) replaced by replacement
// (left out when replacement is nothing); empty elements and bare "," are dropped as a
// replacing save drops them. Nothing when element number value is absent or empty.
std::optional<Text> rebuilt(std::string_view store, int value,
                            const std::optional<Text>& replacement) {
    const std::vector<Text> elements = splitText(store, kClassMarker);
    if (value < 1 || static_cast<std::size_t>(value) > elements.size() ||
        elements[value - 1].empty()) {
        return std::nullopt;
    }
    Text result;
    bool first = true;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        Text piece = elements[i];
        if (static_cast<int>(i) + 1 == value) {
            if (!replacement) {
                continue;
            }
            piece = *replacement;
        } else if (piece.empty() || piece == ",") {
            continue;
        }
        if (!first) {
            result += kClassMarker;
        }
        result += piece;
        first = false;
    }
    return result;
}

}  // namespace

std::optional<Text> ClassStore::withoutClass(std::string_view store, int value) {
    return rebuilt(store, value, std::nullopt);
}

std::optional<Text> ClassStore::withClassRenamed(std::string_view store, int value,
                                                 std::string_view newName) {
    const std::optional<Text> old = element(store, value);
    if (!old) {
        return std::nullopt;
    }
    const std::size_t comma = old->find(',');
    Text renamed(newName);
    renamed += comma == Text::npos ? Text(",") : old->substr(comma);
    return rebuilt(store, value, renamed);
}

bool ClassStore::hasOtherClassNamed(std::string_view store, int value, std::string_view name) {
    const std::vector<Text> elements = splitText(store, kClassMarker);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (static_cast<int>(i) + 1 != value && !elements[i].empty() &&
            sameClassName(className(elements[i]), name)) {
            return true;
        }
    }
    return false;
}

}  // namespace exambell
