#include "app/VoiceDownloadButton.h"

#include <QEventLoop>
#include <QPointer>
#include <memory>

#include "ui/Button.h"
#include "ui/MainWindow.h"

namespace exambell {

void processPendingEvents() {
    QEventLoop loop;
    loop.processEvents(QEventLoop::AllEvents);
}

void bindVoiceDownloadButton(MainWindow& main, UrlOpener& opener, HttpContext context,
                             VoiceDownloadAddresses addresses) {
    if (!context.processEvents) {
        context.processEvents = processPendingEvents;
    }
    Button* button = main.downloadButton;
    QPointer<MainWindow> window(&main);
    QObject::connect(
        button, &Button::clicked, button, [button, window, &opener, context, addresses] {
            if (button->disabled()) {
                return;
            }
            // Copies: the window and with it this connection may go away while events run.
            const VoiceDownloadAddresses requestAddresses = addresses;
            UrlOpener& browser = opener;
            QPointer<Button> guard(button);
            // Closing the window ends the request (and with the last window, the process): a
            // window that is closing or gone no longer wants the page.
            auto closed = std::make_shared<bool>(false);
            const QMetaObject::Connection closing =
                QObject::connect(window, &Window::closing, [closed] { *closed = true; });
            HttpContext requestContext = context;
            requestContext.cancelled = [window, closed, outer = context.cancelled] {
                return !window || *closed || (outer && outer());
            };
            button->setDisabled(true);
            openVoiceDownloadPage(browser, requestContext, requestAddresses);
            QObject::disconnect(closing);
            if (guard) {
                guard->setDisabled(false);
            }
        });
}

}  // namespace exambell
