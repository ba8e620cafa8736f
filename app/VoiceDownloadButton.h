#pragma once
// The binding of the main window's 下载语音按钮 to the voice-download page.

#include "net/HttpRequest.h"
#include "net/UrlOpener.h"
#include "net/VoiceDownload.h"

namespace exambell {

class MainWindow;

// Connects the download button to openVoiceDownloadPage. The button stays disabled while the
// request runs, so that a click among the events the request keeps processing cannot start a
// second one. An empty context.processEvents becomes processPendingEvents. `opener` must live as
// long as the window.
void bindVoiceDownloadButton(MainWindow& main, UrlOpener& opener, HttpContext context = {},
                             VoiceDownloadAddresses addresses = deployedVoiceDownloadAddresses());

// One pass over the events pending for the calling thread (input, painting, due timers);
// returns at once when there are none.
void processPendingEvents();

}  // namespace exambell
