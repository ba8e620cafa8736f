#include "seating/DrawCode.h"

#include <random>
#include <utility>

namespace exambell {

namespace {

// GF(32) with the primitive polynomial x^5 + x^2 + 1: sums are XOR, products go through
// logarithms to the base alpha = x.
struct Field {
    int exp[62] = {};
    int log[32] = {};
    constexpr Field() {
        int value = 1;
        for (int i = 0; i < 31; ++i) {
            exp[i] = value;
            exp[i + 31] = value;
            log[value] = i;
            value <<= 1;
            if (value & 32) {
                value ^= 0x25;
            }
        }
    }
    constexpr int times(int a, int b) const { return a == 0 || b == 0 ? 0 : exp[log[a] + log[b]]; }
    constexpr int power(int e) const { return exp[e % 31]; }
    constexpr int inverse(int a) const { return exp[(31 - log[a]) % 31]; }
};
constexpr Field kField;

// The two sums that are zero for a whole code: character k (0-based, as printed) stands for the
// coefficient of x^(10 - k), and the sums are the code's values at alpha and alpha^2.
std::pair<int, int> syndromes(const std::vector<int>& digits) {
    int atAlpha = 0;
    int atAlphaSquared = 0;
    const int last = static_cast<int>(digits.size()) - 1;
    for (int k = 0; k <= last; ++k) {
        atAlpha ^= kField.times(digits[k], kField.power(last - k));
        atAlphaSquared ^= kField.times(digits[k], kField.power(2 * (last - k)));
    }
    return {atAlpha, atAlphaSquared};
}

// The earlier ten-character codes: nine seed characters and their weighted sum modulo 31.
bool isEarlierCode(const std::vector<int>& digits) {
    if (digits.size() != DrawCode::kSeedCharacters + 1) {
        return false;
    }
    int sum = 0;
    for (int i = 0; i < DrawCode::kSeedCharacters; ++i) {
        sum += (i + 1) * digits[i];
    }
    return sum % 31 == digits.back();
}

int valueOf(char c) {
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    const std::size_t at = DrawCode::kAlphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

std::uint64_t DrawCode::freshSeed() {
    std::random_device device;
    const std::uint64_t high = device();
    const std::uint64_t low = device();
    return ((high << 32) | low) % kSeedLimit;
}

Text DrawCode::format(std::uint64_t seed) {
    seed %= kSeedLimit;
    std::vector<int> digits(kCharacters, 0);
    for (int i = kSeedCharacters - 1; i >= 0; --i) {
        digits[i] = static_cast<int>(seed % 32);
        seed /= 32;
    }
    // With the check characters still 0 the sums are those of the seed part, A and B; the check
    // characters c9 (x^1) and c10 (x^0) must then satisfy c10 + c9 alpha = A and
    // c10 + c9 alpha^2 = B.
    const auto [a, b] = syndromes(digits);
    const int alpha = kField.power(1);
    const int c9 = kField.times(a ^ b, kField.inverse(alpha ^ kField.power(2)));
    digits[9] = c9;
    digits[10] = a ^ kField.times(c9, alpha);
    Text code;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i == 4 || i == 8) {
            code += '-';
        }
        code += kAlphabet[digits[i]];
    }
    return code;
}

DrawCode::Parsed DrawCode::read(std::string_view typed) {
    std::vector<int> digits;
    for (char c : typed) {
        if (c == ' ' || c == '-' || c == '\t') {
            continue;
        }
        const int value = valueOf(c);
        if (value < 0) {
            return {std::nullopt, Problem::Malformed};
        }
        digits.push_back(value);
    }
    if (digits.size() != kCharacters) {
        return {std::nullopt, isEarlierCode(digits) ? Problem::Earlier : Problem::Malformed};
    }
    if (syndromes(digits) != std::pair<int, int>(0, 0)) {
        return {std::nullopt, Problem::Malformed};
    }
    std::uint64_t seed = 0;
    for (int i = 0; i < kSeedCharacters; ++i) {
        seed = seed * 32 + static_cast<std::uint64_t>(digits[i]);
    }
    return {seed, Problem::None};
}

std::optional<std::uint64_t> DrawCode::parse(std::string_view typed) {
    return read(typed).seed;
}

Text DrawCode::fingerprint(int count, const std::vector<Text>& names) {
    // FNV-1a over the count and each name with its length, so that no two rosters join alike.
    std::uint64_t hash = 14695981039346656037ULL;
    const auto add = [&hash](std::string_view bytes) {
        for (unsigned char c : bytes) {
            hash = (hash ^ c) * 1099511628211ULL;
        }
    };
    add(toText(count));
    for (const Text& name : names) {
        add("|");
        add(toText(static_cast<std::int64_t>(name.size())));
        add(":");
        add(name);
    }
    hash ^= hash >> 29;
    Text print;
    for (int i = 0; i < 6; ++i) {
        print += kAlphabet[hash % 32];
        hash /= 32;
    }
    return print;
}

}  // namespace exambell
