#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <vector>

#include "app/MainWindowBinder.h"
#include "app/VoiceDownloadButton.h"
#include "tests/net/TestServer.h"
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

}  // namespace
}  // namespace exambell
