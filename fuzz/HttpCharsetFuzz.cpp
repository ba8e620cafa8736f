// The character-set handling of an answer's body: the charset a page declares and the decoding
// of its bytes into GBK. Fields: the charset name, the body bytes.
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/FuzzInput.h"
#include "net/Charset.h"
#include "text/Encoding.h"

namespace {

using exambell::Text;
using exambell::fuzz::check;

// The names a page may declare that the program must understand.
constexpr std::string_view kKnown[] = {"utf-8", "UTF-8", "gbk", "gb2312", "big5", "iso-8859-1"};

void decode(std::string_view bytes, std::string_view charset) {
    const std::optional<Text> text = exambell::decodeToGbk(bytes, charset);
    if (!text) {
        return;
    }
    // Every byte gives at most one character, and a GBK character takes at most two bytes
    // (a replacement "?" one); four-byte UTF-8 sequences give at most two.
    check(text->size() <= 2 * bytes.size() + 2, "decoding stays proportional to the bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const exambell::fuzz::Fields fields(data, size);
    const std::string_view charset = fields[0];
    const std::string_view body = fields[1];
    decode(body, charset);
    for (const std::string_view known : kKnown) {
        decode(body, known);
    }
    // The declared charset, found the way the request routine finds it.
    const Text declared = exambell::declaredCharset(body);
    if (!declared.empty()) {
        decode(body, declared);
    }
    // A valid UTF-8 body comes out as the same text in GBK wherever GBK has the characters.
    const std::optional<Text> fromUtf8 = exambell::decodeToGbk(body, "utf-8");
    check(fromUtf8.has_value(), "utf-8 is a known charset");
    const Text direct = exambell::utf8ToGbk(body);
    if (exambell::gbkToUtf8(direct) == body && !body.starts_with("\xEF\xBB\xBF")) {
        check(*fromUtf8 == direct, "utf-8 decodes like the UTF-8 conversion");
    }
    return 0;
}
