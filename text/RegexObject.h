#pragma once
// A regular expression over GBK texts with the JavaScript-like syntax and options the program's
// patterns were written for: lazy quantifiers, \w and \d in ASCII, \s also matching the Unicode
// blanks (the full-width space U+3000 among them), a dot that never matches CR or LF, and the
// IgnoreCase / Multiline / Global switches.
//
// Matching runs on the UTF-16 form of the text (PCRE2 in UTF mode), never on the raw GBK bytes,
// so an ASCII letter cannot match the trail byte of a Chinese character. Positions and lengths are
// kept in UTF-16 units internally; every text handed back is GBK again.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace exambell {

class RegexObject {
  public:
    // Compiles `pattern` and searches `searchText`, keeping the matches (every match when
    // `global`, else the first). With `quotePlaceholder`, each "#引号" in the pattern stands for a
    // double quote. Returns false when the pattern is bad or the search fails; true otherwise,
    // also when nothing matched.
    bool execute(std::string_view pattern, std::string_view searchText, bool caseSensitive = false,
                 bool multiLine = true, bool global = true, bool quotePlaceholder = false);

    // The text of the last execute with its kept matches replaced by `replacement`, in which
    // "$1".."$99", "$&", "$`", "$'" and "$$" have their JavaScript meaning. Empty when the last
    // execute failed or none was made.
    Text replaceAll(std::string_view replacement) const;

    // Capture group `submatchIndex` of match `matchIndex`, both counted from 1. An index outside
    // the matches or groups, or a group that took no part in the match, gives an empty text.
    Text submatchText(int matchIndex, int submatchIndex) const;

    // The number of kept matches (0 after a failed execute).
    int matchCount() const { return static_cast<int>(matches_.size()); }

  private:
    // One match: its span and those of its groups, in UTF-16 units; an unset group is kUnset.
    struct Match {
        std::vector<std::size_t> starts;
        std::vector<std::size_t> ends;
    };
    static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

    bool valid_ = false;
    std::u16string subject_;
    std::vector<Match> matches_;
};

}  // namespace exambell
