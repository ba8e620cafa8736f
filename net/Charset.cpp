#include "net/Charset.h"

#include <algorithm>
#include <string>

#include "text/RegexObject.h"

namespace exambell {
namespace {

const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr std::size_t kCharsetWindow = 1024;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

Text asciiLower(std::string_view text) {
    Text out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

}  // namespace

Text declaredCharset(std::string_view pageText) {
    RegexObject finder;
    if (!finder.execute(kCharsetPattern, pageText.substr(0, kCharsetWindow))) {
        return Text();
    }
    return finder.submatchText(1, 1);
}

std::optional<Text> decodeToGbk(std::string_view bytes, std::string_view charset,
                                const EventPass& pass) {
    const Text name = asciiLower(charset);
    if (name == "gbk" || name == "gb2312" || name == "cp936") {
        // glibc's GB2312 table fails on texts ending in a double-byte character; GBK is a superset.
        return Text(bytes);
    }
    if (name == "utf-8" || name == "utf8") {
        if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
            bytes.remove_prefix(kUtf8ByteOrderMark.size());
        }
        return utf8ToGbk(bytes, pass);
    }
    Text out;
    if (name.empty() || name.find('\0') != Text::npos ||
        !iconvToGbk(bytes, name.c_str(), out, pass)) {
        return std::nullopt;
    }
    return out;
}

Text pageText(std::string_view body, const EventPass& pass) {
    Text text(body.substr(0, body.find('\0')));
    const Text charset = declaredCharset(text);
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
        if (std::optional<Text> decoded = decodeToGbk(body, charset, pass)) {
            text = decoded->substr(0, decoded->find('\0'));
        }
    }
    return text;
}

}  // namespace exambell
