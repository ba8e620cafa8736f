#pragma once
// The voice-download button: the address of the page with further recordings is read, at each
// click, from a small text file on the deployment's web server, so that it can change without a
// new release; when that yields no usable address, a fixed default page is opened.

#include <optional>
#include <string_view>

#include "net/HttpRequest.h"
#include "net/UrlOpener.h"
#include "text/Text.h"

namespace exambell {

struct VoiceDownloadAddresses {
    // The text file holding the page's address: UTF-8, possibly with percent-escapes.
    Text addressFile;
    // Opened when the text file yields nothing usable.
    Text defaultPage;
};

// The two addresses this build was configured with (GBK).
VoiceDownloadAddresses deployedVoiceDownloadAddresses();

// The text with every "%" followed by two hexadecimal digits (either case) replaced by the byte
// they give; a "%" without two digits after it stays as it is, and "+" stays "+". With
// `fromUtf8` the decoded bytes are then converted from UTF-8 to GBK ("?" for what GBK lacks).
Text percentDecode(std::string_view text, bool fromUtf8, const EventPass& pass = {});

// The address without surrounding blanks and line breaks, when it is an http:// or https://
// address with a non-empty host and no control characters; nullopt for anything else (file:,
// javascript:, a local path, a command, "http://@/x", "http://:80/").
std::optional<Text> browsableAddress(std::string_view text);

// The address the button hands to the browser for what the request for the text file brought:
// the decoded text when it is a browsable address, otherwise `defaultPage`. A failed request,
// a body cut off by a failed read included, gives the default page.
Text voicePageAddress(const HttpResult& fetched, std::string_view defaultPage,
                      const EventPass& pass = {});

// Click handler of the voice-download button: fetches the text file, decodes it and hands the
// address to `opener`, or the default page when the file yields no browsable address. Blocks
// until the request is done while processing events through `context`; when context.cancelled
// ends the request, nothing is opened.
void openVoiceDownloadPage(
    UrlOpener& opener, const HttpContext& context = {},
    const VoiceDownloadAddresses& addresses = deployedVoiceDownloadAddresses());

}  // namespace exambell
