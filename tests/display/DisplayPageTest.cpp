// The web page in a real browser: Debian's chromium, headless, loads it from the server on
// 127.0.0.1 and the test reads what the page rendered. The server's clock is a fake set hours
// away from the real one, so a page that showed the browser's own time would fail.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "display/DisplayServer.h"
#include "tests/display/DisplayTestPage.h"
#include "tests/support/FakeClock.h"

namespace exambell {
namespace {

// The text of the element with the given id in a dumped DOM.
QString element(const QString& dom, const QString& id) {
    const QRegularExpression re(u"id=\"%1\"[^>]*>([^<]*)<"_qs.arg(id));
    return re.match(dom).captured(1);
}

int seconds(const QString& hms) {
    const QStringList parts = hms.split(u':');
    if (parts.size() != 3) {
        return -1;
    }
    return parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt();
}

class DisplayPage : public testing::Test {
  protected:
    void SetUp() override {
        chromium = QStandardPaths::findExecutable(u"chromium"_qs);
        if (chromium.isEmpty()) {
            GTEST_SKIP() << "chromium is not installed";
        }
        clock.set(2026, 1, 2, 3, 17, 0);  // 数学 runs 03:00 .. 05:00
        server.publish(computeDisplayState(testExams(), clock.now()),
                       localEpochMilliseconds(clock.now()));
        ASSERT_TRUE(server.start("127.0.0.1", 0));
    }

    // The page's DOM after the browser ran it for virtualMs of its (virtual) time.
    QString render(int virtualMs) {
        QTemporaryDir profile;
        QProcess browser;
        browser.start(chromium, {u"--headless"_qs, u"--no-sandbox"_qs, u"--disable-gpu"_qs,
                                 u"--no-first-run"_qs, u"--user-data-dir="_qs + profile.path(),
                                 u"--virtual-time-budget=%1"_qs.arg(virtualMs), u"--dump-dom"_qs,
                                 u"http://127.0.0.1:%1/"_qs.arg(server.port())});
        EXPECT_TRUE(browser.waitForStarted(10000));
        EXPECT_TRUE(browser.waitForFinished(120000)) << "chromium did not finish";
        const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
        EXPECT_FALSE(dom.isEmpty()) << browser.readAllStandardError().toStdString();
        return dom;
    }

    QString chromium;
    test::FakeClock clock;
    DisplayServer server;
};

TEST_F(DisplayPage, ShowsTheServersTimeAndExam) {
    const QString dom = render(5000);

    // The server's time (03:17 and a few seconds), whatever the real clock says.
    EXPECT_TRUE(element(dom, u"clock"_qs).startsWith(u"03:17:"_qs)) << dom.toStdString();
    EXPECT_EQ(element(dom, u"date"_qs), QString::fromUtf8("2026年01月02日"));
    EXPECT_EQ(element(dom, u"weekday"_qs), QString::fromUtf8("星期五"));
    EXPECT_EQ(element(dom, u"subject"_qs), QString::fromUtf8("数学"));
    EXPECT_EQ(element(dom, u"phase"_qs), QString::fromUtf8("考试中"));
    EXPECT_EQ(element(dom, u"start"_qs), u"03:00"_qs);
    EXPECT_EQ(element(dom, u"end"_qs), u"05:00"_qs);
    // 1:43:00 left at 03:17:00, less the seconds the browser took.
    const int left = seconds(element(dom, u"remaining"_qs));
    EXPECT_LE(left, 6180);
    EXPECT_GE(left, 6180 - 50);
    EXPECT_EQ(seconds(element(dom, u"clock"_qs)) + left, 5 * 3600);
    // In contact with the server: no warning.
    EXPECT_TRUE(dom.contains(u"id=\"status\" hidden"_qs)) << dom.toStdString();
    EXPECT_GE(server.answered(), 3);
}

TEST_F(DisplayPage, RunsOnWithoutTheServerAndSaysSoAfterAMinute) {
    // The server goes away once the page has measured its offset (five round trips).
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done && server.answered() < 6 && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        server.stop();
    });
    // Three minutes of the page's time, in virtual time.
    const QString dom = render(180000);
    done = true;
    stopper.join();
    // The clock ran on by the server's measure: 03:19 or 03:20, not the real time of day.
    const int shown = seconds(element(dom, u"clock"_qs));
    EXPECT_GE(shown, 3 * 3600 + 19 * 60) << dom.toStdString();
    EXPECT_LT(shown, 3 * 3600 + 21 * 60) << dom.toStdString();
    EXPECT_EQ(element(dom, u"phase"_qs), QString::fromUtf8("考试中"));
    EXPECT_FALSE(dom.contains(u"id=\"status\" hidden"_qs));
    EXPECT_TRUE(element(dom, u"status"_qs).contains(QString::fromUtf8("失去连接")));
}

}  // namespace
}  // namespace exambell
