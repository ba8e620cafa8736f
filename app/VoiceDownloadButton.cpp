#include "app/VoiceDownloadButton.h"

#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/Button.h"
#include "ui/Window.h"

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
    // Closing the window ends the request (and with the last window, the process): a window that
    // is closing or gone no longer wants the page.
    QPointer<Window> window = qobject_cast<Window*>(button_->widget()->window());
    const bool inWindow = window != nullptr;
    auto closed = std::make_shared<bool>(false);
    QMetaObject::Connection closing;
    if (window) {
        closing = QObject::connect(window, &Window::closing, [closed] { *closed = true; });
    }
    HttpContext cancellable = requestContext;
    cancellable.cancelled = [window, inWindow, closed, outer = requestContext.cancelled] {
        return (inWindow && !window) || *closed || (outer && outer());
    };
    guard->setDisabled(true);
    openVoiceDownloadPage(browser, cancellable, requestAddresses);
    QObject::disconnect(closing);
    if (guard) {
        guard->setDisabled(false);
    }
}

}  // namespace exambell
