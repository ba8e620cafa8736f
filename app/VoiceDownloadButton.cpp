#include "app/VoiceDownloadButton.h"

#include <QEventLoop>
#include <QPointer>

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
    QObject::connect(button, &Button::clicked, button, [button, &opener, context, addresses] {
        if (button->disabled()) {
            return;
        }
        // Copies: the window and with it this connection may go away while events run.
        const HttpContext requestContext = context;
        const VoiceDownloadAddresses requestAddresses = addresses;
        UrlOpener& browser = opener;
        QPointer<Button> guard(button);
        button->setDisabled(true);
        openVoiceDownloadPage(browser, requestContext, requestAddresses);
        if (guard) {
            guard->setDisabled(false);
        }
    });
}

}  // namespace exambell
