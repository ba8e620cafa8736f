#pragma once
// The code of a seat draw and the fingerprint of its roster. The code is the seed of the draw,
// written in 32 letters and digits that cannot be taken for one another (no 0, 1, I or O): nine
// characters of seed (45 bits) and two check characters, shown as "XXXX-XXXX-XXX". The draw from
// a seed is the same on every machine: std::mt19937_64's sequence is fixed by the C++ standard and
// SeatingChart::randomInRange uses nothing but its raw output.
//
// The check characters make the eleven a Reed-Solomon code over GF(32) of distance 3: any one or
// two wrong characters, and so any swap of two characters, make a code that is refused.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace exambell {

class DrawCode {
  public:
    static constexpr std::string_view kAlphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    static constexpr int kSeedCharacters = 9;
    static constexpr int kCheckCharacters = 2;
    static constexpr int kCharacters = kSeedCharacters + kCheckCharacters;
    static constexpr std::uint64_t kSeedLimit = std::uint64_t{1} << (5 * kSeedCharacters);

    enum class Problem {
        None,
        Malformed,  // a character not of the alphabet, the wrong length or a check that disagrees
        Earlier,    // a ten-character code as the earlier versions printed it
    };
    struct Parsed {
        std::optional<std::uint64_t> seed;
        Problem problem = Problem::None;
    };

    // A seed below kSeedLimit from the system's random source.
    static std::uint64_t freshSeed();
    // The code of a seed (taken modulo kSeedLimit), e.g. "7K2Q-XM9R-TC5".
    static Text format(std::uint64_t seed);
    // The seed of a typed code: case, blanks and "-" do not matter; nothing when a character is
    // not of the alphabet, the length is wrong or a check character disagrees (a mistyped code
    // would otherwise give another chart without a word).
    static std::optional<std::uint64_t> parse(std::string_view typed);
    // As parse, and why a code was refused.
    static Parsed read(std::string_view typed);

    // Six characters of the alphabet that change with the student count and with every name or
    // its place in the list: the same fingerprint shows that a code was typed with the same roster.
    static Text fingerprint(int count, const std::vector<Text>& names);
};

}  // namespace exambell
