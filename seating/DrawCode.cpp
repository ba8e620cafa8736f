#include "seating/DrawCode.h"

#include <random>

namespace exambell {

namespace {

constexpr int kCheckModulus = 31;  // prime: every weight 1..9 is invertible, so any one wrong
                                   // character or swapped neighbour pair changes the check

int valueOf(char c) {
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    const std::size_t at = DrawCode::kAlphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int checkValue(const std::vector<int>& digits) {
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        sum += static_cast<int>(i + 1) * digits[i];
    }
    return sum % kCheckModulus;
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
    std::vector<int> digits(kSeedCharacters);
    for (int i = kSeedCharacters - 1; i >= 0; --i) {
        digits[i] = static_cast<int>(seed % 32);
        seed /= 32;
    }
    digits.push_back(checkValue(digits));
    Text code;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i == 5) {
            code += '-';
        }
        code += kAlphabet[digits[i]];
    }
    return code;
}

std::optional<std::uint64_t> DrawCode::parse(std::string_view typed) {
    std::vector<int> digits;
    for (char c : typed) {
        if (c == ' ' || c == '-' || c == '\t') {
            continue;
        }
        const int value = valueOf(c);
        if (value < 0) {
            return std::nullopt;
        }
        digits.push_back(value);
    }
    if (digits.size() != kSeedCharacters + 1) {
        return std::nullopt;
    }
    const int check = digits.back();
    digits.pop_back();
    if (checkValue(digits) != check) {
        return std::nullopt;
    }
    std::uint64_t seed = 0;
    for (int digit : digits) {
        seed = seed * 32 + static_cast<std::uint64_t>(digit);
    }
    return seed;
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
