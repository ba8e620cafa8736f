// The web page in a real browser: Debian's chromium, headless, loads it from the server on
// 127.0.0.1 and the test reads what the page rendered. The server's clock is a fake set hours
// away from the real one, so a page that showed the browser's own time would fail.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "text/Encoding.h"

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

    // The page's DOM after the browser ran it for virtualMs of its (virtual) time; the page is
    // the server's unless another address is given.
    QString render(int virtualMs, QString address = {}, const QString& extra = {}) {
        if (address.isEmpty()) {
            address = u"http://127.0.0.1:%1/"_qs.arg(server.port());
        }
        QTemporaryDir profile;
        QProcess browser;
        QStringList arguments{u"--headless"_qs,
                              u"--no-sandbox"_qs,
                              u"--disable-gpu"_qs,
                              u"--no-first-run"_qs,
                              u"--user-data-dir="_qs + profile.path(),
                              u"--virtual-time-budget=%1"_qs.arg(virtualMs),
                              u"--dump-dom"_qs};
        if (!extra.isEmpty()) {
            arguments << extra;
        }
        browser.start(chromium, arguments << address);
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
        while (!done && server.clockAnswered() < 6 && std::chrono::steady_clock::now() < until) {
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

// The page as served, with a script of the test's added after the page's own: it writes the boxes
// of the page's lines and the size of its window every 200 ms into data-measure of the <html>
// of /frame, which shows the page in a frame of the size asked for (headless chromium makes no
// window narrower than 500 px, nor one whose inside is the size asked for), so that a dumped DOM
// carries them. Everything but the page itself comes from the real server.
class MeasuringProxy {
  public:
    explicit MeasuringProxy(int serverPort) {
        QFile page(u":/display/index.html"_qs);
        EXPECT_TRUE(page.open(QIODevice::ReadOnly));
        std::string html = page.readAll().toStdString();
        html.insert(html.find("</head>"), "<script src=\"measure.js\" defer></script>\n");
        server_.Get("/", [html](const httplib::Request&, httplib::Response& res) {
            res.set_content(html, "text/html; charset=utf-8");
        });
        server_.Get("/frame", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(
                "<!DOCTYPE html><html><body style=\"margin:0\"><iframe src=\"/\" "
                "style=\"border:0;width:" +
                    req.get_param_value("w") + "px;height:" + req.get_param_value("h") +
                    "px\"></iframe></body></html>",
                "text/html; charset=utf-8");
        });
        server_.Get("/measure.js", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kMeasure, "text/javascript; charset=utf-8");
        });
        server_.Get(".*", [serverPort](const httplib::Request& req, httplib::Response& res) {
            httplib::Client real("127.0.0.1", serverPort);
            auto r = real.Get(req.path.c_str());
            res.status = r ? r->status : 502;
            if (r) {
                res.set_content(r->body, r->get_header_value("Content-Type").c_str());
            }
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~MeasuringProxy() {
        server_.stop();
        thread_.join();
    }
    int port() const { return port_; }

  private:
    static constexpr const char* kMeasure = R"(
"use strict";
setInterval(() => {
  const view = document.documentElement;
  const boxes = {};
  for (const id of ["date-line", "clock", "subject", "times", "countdown"]) {
    const r = document.getElementById(id).getBoundingClientRect();
    boxes[id] = [r.left, r.top, r.right, r.bottom];
  }
  parent.document.documentElement.dataset.measure = JSON.stringify({
    width: view.clientWidth, height: view.clientHeight,
    scrollWidth: view.scrollWidth, scrollHeight: view.scrollHeight,
    subject: document.getElementById("subject").textContent, boxes });
}, 200);
)";
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

QJsonObject measured(const QString& dom) {
    const QRegularExpression re(u"data-measure=\"([^\"]*)\""_qs);
    QString json = re.match(dom).captured(1);
    json.replace(u"&quot;"_qs, u"\""_qs).replace(u"&amp;"_qs, u"&"_qs);
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

TEST_F(DisplayPage, TheDateClockAndCountdownFitTheWindowAtEverySize) {
    // A subject of 20 characters, set by the program rather than typed.
    const QString subject = QString::fromUtf8("高二年级第一学期期末统一考试数学理科卷");
    ASSERT_EQ(subject.size(), 19);
    const QString subject20 = subject + QString::fromUtf8("甲");
    server.publish(
        computeDisplayState({DisplayExam{utf8ToGbk(subject20.toStdString()), "03:00", 120, 0}},
                            clock.now()),
        localEpochMilliseconds(clock.now()));
    MeasuringProxy proxy(server.port());
    // A maximised browser on 1920 x 1080 and 1366 x 768, and a telephone.
    for (const auto& [w, h] : {std::pair{1920, 955}, std::pair{1366, 657}, std::pair{390, 844}}) {
        const QString dom =
            render(3000, u"http://127.0.0.1:%1/frame?w=%2&h=%3"_qs.arg(proxy.port()).arg(w).arg(h),
                   u"--window-size=2000,1400"_qs);
        if (const QByteArray folder = qgetenv("EXAMBELL_SCREENSHOT_DIR"); !folder.isEmpty()) {
            // The frame at the top left of a 2000 x 1400 picture.
            QTemporaryDir profile;
            QProcess shot;
            shot.start(
                chromium,
                {u"--headless"_qs, u"--no-sandbox"_qs, u"--disable-gpu"_qs,
                 u"--user-data-dir="_qs + profile.path(), u"--virtual-time-budget=3000"_qs,
                 u"--window-size=2000,1400"_qs,
                 u"--screenshot=%1/page-frame-%2x%3.png"_qs.arg(QString::fromLocal8Bit(folder))
                     .arg(w)
                     .arg(h),
                 u"http://127.0.0.1:%1/frame?w=%2&h=%3"_qs.arg(proxy.port()).arg(w).arg(h)});
            shot.waitForFinished(120000);
        }
        const QJsonObject m = measured(dom);
        ASSERT_FALSE(m.isEmpty()) << w << "x" << h << dom.toStdString();
        EXPECT_EQ(m[u"subject"].toString(), subject20);
        const double width = m[u"width"].toDouble();
        const double height = m[u"height"].toDouble();
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, h);
        // Nothing to scroll to: the page is the window.
        EXPECT_LE(m[u"scrollWidth"].toDouble(), width) << w << "x" << h;
        EXPECT_LE(m[u"scrollHeight"].toDouble(), height) << w << "x" << h;
        const QJsonObject boxes = m[u"boxes"].toObject();
        for (const QString& id : boxes.keys()) {
            const QJsonArray b = boxes[id].toArray();
            EXPECT_GE(b[0].toDouble(), 0) << id.toStdString() << " at " << w << "x" << h;
            EXPECT_GE(b[1].toDouble(), 0) << id.toStdString() << " at " << w << "x" << h;
            EXPECT_LE(b[2].toDouble(), width) << id.toStdString() << " at " << w << "x" << h;
            EXPECT_LE(b[3].toDouble(), height) << id.toStdString() << " at " << w << "x" << h;
            EXPECT_GT(b[2].toDouble() - b[0].toDouble(), 0) << id.toStdString();
        }
        // Still large: the clock takes a good part of the window's width or of its height.
        const QJsonArray clockBox = boxes[u"clock"].toArray();
        EXPECT_TRUE(clockBox[2].toDouble() - clockBox[0].toDouble() > width * 0.6 ||
                    clockBox[3].toDouble() - clockBox[1].toDouble() > height * 0.25)
            << w << "x" << h;
    }
}

}  // namespace
}  // namespace exambell
