#pragma once
// The class store text and the name rules, as plain values. The whole store is one GBK text:
// elements separated by "%class%", each element a class name, ",", and the student names joined
// by "," (e.g. "%class%18软件5班,张三,李四%class%二班,王五"). A store built by appending starts
// with the marker, one rebuilt by a replacement does not; readers skip empty elements either way.

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace exambell {

inline constexpr std::string_view kClassMarker = "%class%";
// A student name may take at most 12 bytes of GBK: 12 ASCII characters or 6 Chinese ones.
inline constexpr std::size_t kMaxStudentNameBytes = 12;

// One entry of the class box: its text and its value, the 1-based position of the class's
// element among all elements of the store split at the marker, empty ones counted. Value 0 marks
// an entry that is no stored class.
struct ClassEntry {
    Text name;
    int value = 0;
    bool operator==(const ClassEntry&) const = default;
};

enum class NameProblem {
    None,
    TooLong,       // more than kMaxStudentNameBytes bytes
    BreaksFormat,  // see breaksFormat: the store text could not keep it apart
};

// A roster typed into the window, checked name by name.
struct RosterCheck {
    Text joined;  // the accepted names joined by ","
    int count = 0;
    NameProblem problem = NameProblem::None;
    Text offendingName;  // the first refused name, when problem is not None
};

// A stored class as loaded for the seating chart.
struct LoadedClass {
    // Every part after the class name, empty ones included; nothing when the element is empty.
    std::optional<int> count;
    Text joined;  // the names before the first too-long one, joined by ","
    bool tooLong = false;
};

class ClassStore {
  public:
    // The separator a text of the separator box stands for: "换行" is CR LF, anything else itself.
    static Text separatorFor(std::string_view separatorText);
    // The text before the first "," of an element; an element without "," has the empty name.
    static Text className(std::string_view element);
    // The class box entries of a store, in stored order: one empty entry with value 0 when the
    // store has no elements at all, otherwise one entry per non-empty element.
    static std::vector<ClassEntry> entries(std::string_view store);
    // Element number value (1-based, empty ones counted), or nothing when there is no such
    // element or it is empty.
    static std::optional<Text> element(std::string_view store, int value);
    // The names of a class element, stopping at the first name that is too long.
    static LoadedClass load(std::string_view element);

    // A class name without the blanks around it (ASCII blanks, tabs and the wide blank "　"):
    // names that differ only there are the same class.
    static Text trimmedClassName(std::string_view name);
    static bool sameClassName(std::string_view a, std::string_view b) {
        return trimmedClassName(a) == trimmedClassName(b);
    }

    static NameProblem checkStudentName(std::string_view name);
    // A name the store text cannot keep apart from its neighbours: one holding ",", a line break,
    // a NUL or the marker, or one that makes a marker together with a marker beside it.
    static bool breaksFormat(std::string_view name);
    // Splits a roster at the separator, skipping empty parts (names are not trimmed), and stops
    // at the first name that cannot be stored.
    static RosterCheck checkRoster(std::string_view roster, std::string_view separator);

    // The store as the config.ini value that reads back as exactly the store. The profile format
    // drops blanks around a value and one pair of matching quotes around it; a store that would
    // lose any of them ("...,李四 ") is wrapped in double quotes, which the read takes off again.
    // Every other store is written as it is, as before.
    static Text profileValue(std::string_view store);

    // The store with the class saved: appended when its name occurs nowhere in the store;
    // otherwise the store is rebuilt without the leading marker and empty elements, and an
    // element of the same name (blanks around it aside) is replaced in place after
    // confirmOverwrite() agrees (nothing when it does not), or the class is added at the end when
    // no element has that name.
    static std::optional<Text> withClass(std::string_view store, std::string_view name,
                                         std::string_view joinedNames,
                                         const std::function<bool()>& confirmOverwrite);

    // The store without element number value (as in entries()), the other classes in their
    // order; rebuilt without the leading marker and empty elements. Nothing when there is no
    // such class.
    static std::optional<Text> withoutClass(std::string_view store, int value);
    // The store with element number value under newName, its names and its place kept; rebuilt
    // the same way. Nothing when there is no such class.
    static std::optional<Text> withClassRenamed(std::string_view store, int value,
                                                std::string_view newName);
    // Whether a non-empty element other than number value has the class name name (blanks
    // around it aside).
    static bool hasOtherClassNamed(std::string_view store, int value, std::string_view name);
};

}  // namespace exambell
