#pragma once
// The operation of the main window's 下载语音按钮: opens the voice-download page. The button stays
// disabled while the request runs, so that a click among the events the request keeps
// processing cannot start a second one. The main window's binder connects the button here.

#include <QPointer>

#include "net/HttpRequest.h"
#include "net/UrlOpener.h"
#include "net/VoiceDownload.h"

namespace exambell {

class Button;

class VoiceDownloadButton {
  public:
    // An empty context.processEvents becomes processPendingEvents. `opener` must outlive the
    // object; the button may go away at any time.
    VoiceDownloadButton(Button& button, UrlOpener& opener, HttpContext context = {},
                        VoiceDownloadAddresses addresses = deployedVoiceDownloadAddresses());

    // The click: does nothing while the button is disabled.
    void download();

  private:
    QPointer<Button> button_;
    UrlOpener& opener_;
    HttpContext context_;
    VoiceDownloadAddresses addresses_;
};

// One pass over the events pending for the calling thread (input, painting, due timers);
// returns at once when there are none.
void processPendingEvents();

}  // namespace exambell
