#include "app/VoiceDownloadButton.h"

#include <QEventLoop>

#include "ui/Button.h"

namespace exambell {

void processPendingEvents() {
    QEventLoop loop;
    loop.processEvents(QEventLoop::AllEvents);
}

VoiceDownloadButton::VoiceDownloadButton(Button& button, UrlOpener& opener, HttpContext context,
                                         VoiceDownloadAddresses addresses)
    : button_(&button),
      opener_(opener),
      context_(std::move(context)),
      addresses_(std::move(addresses)) {
    if (!context_.processEvents) {
        context_.processEvents = processPendingEvents;
    }
}

void VoiceDownloadButton::download() {
    if (!button_ || button_->disabled()) {
        return;
    }
    // Copies: the window, and with it this operation, may go away while events run.
    const HttpContext requestContext = context_;
    const VoiceDownloadAddresses requestAddresses = addresses_;
    UrlOpener& browser = opener_;
    QPointer<Button> guard = button_;
    guard->setDisabled(true);
    openVoiceDownloadPage(browser, requestContext, requestAddresses);
    if (guard) {
        guard->setDisabled(false);
    }
}

}  // namespace exambell
