#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <vector>

#include "app/MainWindowBinder.h"
#include "app/VoiceDownloadButton.h"
#include "tests/net/TestServer.h"
#include "text/Encoding.h"
#include "ui/Button.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

class RecordingOpener : public UrlOpener {
  public:
    void open(const Text& address) override { opened.push_back(address); }
    std::vector<Text> opened;
};

TEST(VoiceDownloadButtonTest, ButtonIsDisabledWhileTheRequestRuns) {
    test::TestServer server;
    server.routes().Get("/url_clock.txt", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("http://example.com/voices", "text/plain");
    });
    server.start();

    MainWindow main;
    main.show();
    auto* button =
        main.findChild<QPushButton*>(toQString(Text("\xCF\xC2\xD4\xD8\xD3\xEF\xD2\xF4"
                                                    "\xB0\xB4\xC5\xA5")));  // 下载语音按钮
    ASSERT_NE(button, nullptr);

    RecordingOpener opener;
    int events = 0;
    bool alwaysDisabled = true;
    HttpContext context;
    context.processEvents = [&] {
        ++events;
        alwaysDisabled = alwaysDisabled && !button->isEnabled();
        // Clicks while the request runs reach nothing.
        QTest::mouseClick(button, Qt::LeftButton);
        processPendingEvents();
    };
    VoiceDownloadButton download(*main.downloadButton, opener, context,
                                 {server.base() + "/url_clock.txt", "http://sounds.example.org/"});
    QObject bindings;
    MainWindowBinder::bindDownloadButton(main, download, bindings);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_GT(events, 0);
    EXPECT_TRUE(alwaysDisabled);
    EXPECT_EQ(opener.opened, std::vector<Text>{"http://example.com/voices"});
    EXPECT_TRUE(button->isEnabled());

    // The next click after the request works again.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(opener.opened.size(), 2u);
}

TEST(VoiceDownloadButtonTest, ClosingTheWindowEndsTheRequestAndTheProgram) {
    // The server takes the connection and never answers: only the close can end the request
    // before its 30-second time-out.
    test::SilentServer silent;
    MainWindow main;
    main.show();
    auto* button = main.findChild<QPushButton*>(toQString(utf8ToGbk("下载语音按钮")));
    ASSERT_NE(button, nullptr);

    RecordingOpener opener;
    int passes = 0;
    HttpContext context;
    context.processEvents = [&] {
        processPendingEvents();
        if (++passes == 3) {
            main.close();
        }
    };
    VoiceDownloadButton download(
        *main.downloadButton, opener, context,
        {"http://127.0.0.1:" + std::to_string(silent.port()) + "/url_clock.txt",
         "http://sounds.example.org/"});
    QObject bindings;
    MainWindowBinder::bindDownloadButton(main, download, bindings);

    // The click comes from the event loop, as the operator's does; the loop ends with the last
    // window, once the click has returned. The guard only keeps a broken build from hanging.
    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    QTimer guard;
    guard.setSingleShot(true);
    bool guardFired = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QCoreApplication::quit();
    });
    guard.start(std::chrono::seconds(60));
    QApplication::exec();
    EXPECT_FALSE(guardFired);
    EXPECT_EQ(passes, 3);
    EXPECT_TRUE(opener.opened.empty());
}

}  // namespace
}  // namespace exambell
