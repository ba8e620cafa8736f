#include "text/RegexObject.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <memory>

#include "text/Encoding.h"

namespace exambell {
namespace {

// JavaScript's \s: the ASCII blanks, every Unicode space separator, the line and paragraph
// separators and the byte-order mark. PCRE2's Xps property is all of these but U+FEFF.
constexpr std::u16string_view kBlankSet = u"\\p{Xps}\\x{feff}";
constexpr std::u16string_view kNonBlankInSet = u"\\P{Xps}";

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

// Replaces every occurrence of `from` in `text` by `to`.
void replaceEvery(std::u16string& text, std::u16string_view from, std::u16string_view to) {
    for (std::size_t at = text.find(from); at != std::u16string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Rewrites \s and \S into their JavaScript sets; every other escape is copied as it is, so "\\s"
// (an escaped backslash before an "s") stays untouched.
std::u16string withJavaScriptBlanks(std::u16string_view pattern) {
    std::u16string out;
    out.reserve(pattern.size() + 16);
    bool inSet = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char16_t c = pattern[i];
        if (c == u'\\' && i + 1 < pattern.size()) {
            char16_t next = pattern[++i];
            if (next == u's') {
                if (inSet) {
                    out += kBlankSet;
                } else {
                    out += u'[';
                    out += kBlankSet;
                    out += u']';
                }
            } else if (next == u'S') {
                if (inSet) {
                    out += kNonBlankInSet;
                } else {
                    out += u"[^";
                    out += kBlankSet;
                    out += u']';
                }
            } else {
                out += c;
                out += next;
            }
            continue;
        }
        if (!inSet && c == u'[') {
            inSet = true;
            out += c;
            // A "]" right after "[" or "[^" is a literal member, not the end of the set.
            if (i + 1 < pattern.size() && pattern[i + 1] == u'^') {
                out += pattern[++i];
            }
            if (i + 1 < pattern.size() && pattern[i + 1] == u']') {
                out += pattern[++i];
            }
            continue;
        }
        if (inSet && c == u']') {
            inSet = false;
        }
        out += c;
    }
    return out;
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool RegexObject::execute(std::string_view pattern, std::string_view searchText, bool caseSensitive,
                          bool multiLine, bool global, bool quotePlaceholder) {
    valid_ = false;
    matches_.clear();
    subject_ = gbkToUtf16(searchText);

    std::u16string source = gbkToUtf16(pattern);
    if (quotePlaceholder) {
        replaceEvery(source, u"#\u5F15\u53F7", u"\"");  // #引号
    }
    source = withJavaScriptBlanks(source);

    std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
        pcre2_compile_context_create(nullptr));
    if (!context) {
        return false;
    }
    // A line break is CR, LF or CR LF: the dot matches neither, and "^"/"$" of a multi-line
    // search stop at them.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    // JavaScript's \uhhhh and \xhh, keeping \x{h...}.
    pcre2_set_compile_extra_options(context.get(), PCRE2_EXTRA_ALT_BSUX);

    uint32_t options = PCRE2_UTF;
    if (!caseSensitive) {
        options |= PCRE2_CASELESS;
    }
    // Without Multiline, "$" is the very end of the text only, as in JavaScript.
    options |= multiLine ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    std::unique_ptr<pcre2_code, CodeDeleter> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(), options,
                      &errorCode, &errorOffset, context.get()));
    if (!code) {
        return false;
    }
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!data) {
        return false;
    }

    const auto* subject = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    const std::size_t length = subject_.size();
    std::size_t from = 0;
    while (from <= length) {
        int rc = pcre2_match(code.get(), subject, length, from, 0, data.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH) {
            break;
        }
        if (rc <= 0) {
            // A run-time failure (match limit, bad text): no result, like a bad pattern.
            matches_.clear();
            return false;
        }
        const PCRE2_SIZE* spans = pcre2_get_ovector_pointer(data.get());
        const uint32_t pairs = pcre2_get_ovector_count(data.get());
        Match match;
        match.starts.reserve(pairs);
        match.ends.reserve(pairs);
        for (uint32_t k = 0; k < pairs; ++k) {
            bool set = k < static_cast<uint32_t>(rc) && spans[2 * k] != PCRE2_UNSET;
            match.starts.push_back(set ? spans[2 * k] : kUnset);
            match.ends.push_back(set ? spans[2 * k + 1] : kUnset);
        }
        std::size_t start = spans[0];
        std::size_t end = spans[1] > start ? spans[1] : start;
        matches_.push_back(std::move(match));
        if (!global) {
            break;
        }
        if (end == start) {
            // An empty match: go on one character further (a surrogate pair is one character).
            if (end >= length) {
                break;
            }
            end += isHighSurrogate(subject_[end]) && end + 1 < length ? 2 : 1;
        }
        from = end;
    }
    valid_ = true;
    return true;
}

Text RegexObject::replaceAll(std::string_view replacement) const {
    if (!valid_) {
        return Text();
    }
    const std::u16string with = gbkToUtf16(replacement);
    std::u16string out;
    out.reserve(subject_.size());
    std::size_t copied = 0;
    for (const Match& match : matches_) {
        const std::size_t start = match.starts[0];
        const std::size_t end = match.ends[0];
        if (start < copied) {
            continue;
        }
        out.append(subject_, copied, start - copied);
        const std::size_t groups = match.starts.size() - 1;
        auto group = [&](std::size_t k) {
            if (match.starts[k] == kUnset) {
                return std::u16string_view();
            }
            return std::u16string_view(subject_).substr(match.starts[k],
                                                        match.ends[k] - match.starts[k]);
        };
        for (std::size_t i = 0; i < with.size(); ++i) {
            char16_t c = with[i];
            if (c != u'$' || i + 1 >= with.size()) {
                out += c;
                continue;
            }
            char16_t next = with[i + 1];
            if (next == u'$') {
                out += u'$';
                ++i;
            } else if (next == u'&') {
                out += group(0);
                ++i;
            } else if (next == u'`') {
                out.append(subject_, 0, start);
                ++i;
            } else if (next == u'\'') {
                out.append(subject_, end, std::u16string::npos);
                ++i;
            } else if (isAsciiDigit(next)) {
                // "$nn" when that group exists, else "$n" when that one does, else literal.
                std::size_t one = static_cast<std::size_t>(next - u'0');
                if (i + 2 < with.size() && isAsciiDigit(with[i + 2])) {
                    std::size_t two = one * 10 + static_cast<std::size_t>(with[i + 2] - u'0');
                    if (two >= 1 && two <= groups) {
                        out += group(two);
                        i += 2;
                        continue;
                    }
                }
                if (one >= 1 && one <= groups) {
                    out += group(one);
                    ++i;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
        }
        copied = end;
    }
    out.append(subject_, copied, std::u16string::npos);
    return utf16ToGbk(out);
}

Text RegexObject::submatchText(int matchIndex, int submatchIndex) const {
    if (matchIndex < 1 || submatchIndex < 1 ||
        static_cast<std::size_t>(matchIndex) > matches_.size()) {
        return Text();
    }
    const Match& match = matches_[static_cast<std::size_t>(matchIndex) - 1];
    const auto k = static_cast<std::size_t>(submatchIndex);
    if (k >= match.starts.size() || match.starts[k] == kUnset) {
        return Text();
    }
    return utf16ToGbk(
        std::u16string_view(subject_).substr(match.starts[k], match.ends[k] - match.starts[k]));
}

}  // namespace exambell
