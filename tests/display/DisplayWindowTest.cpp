// The exam-room clock in the whole program: the new button in the main window, the setup window,
// the full-screen clock on the driven clock, and the web page switched on and off from there.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGroupBox>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "app/DisplayBinder.h"
#include "app/DisplayConfig.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/DisplaySetupWindow.h"
#include "ui/DisplayWindow.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

namespace exambell::test {
namespace {

// A port nothing listens on right now.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    ::close(fd);
    return ntohs(a.sin_port);
}

std::string caption(TransparentLabel* label) {
    return gbkToUtf8(label->caption());
}

// Whether the setup window's message shows whole: all its lines within the label, the label
// within the window.
testing::AssertionResult messageShowsWhole(DisplaySetupWindow& s) {
    QLabel* label = s.messageLabel->label();
    const int needed = label->heightForWidth(label->width());
    if (needed > label->height()) {
        return testing::AssertionFailure()
               << "the message needs " << needed << " px, its label is " << label->height();
    }
    if (!s.rect().contains(label->geometry())) {
        return testing::AssertionFailure() << "the label reaches out of the window";
    }
    return testing::AssertionSuccess();
}

// A socket listening on every IPv4 address at a free port, held by "another program".
struct PortHolder {
    PortHolder() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        port = freePort();
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd, 1) == 0;
    }
    ~PortHolder() { ::close(fd); }
    int fd = -1;
    int port = 0;
    bool bound = false;
};

class DisplayClock : public AppFixture {
  protected:
    void SetUp() override { clock.set(2026, 1, 2, 8, 0, 0, 400); }

    DisplaySetupWindow& openSetup() {
        main().displayButton->button()->click();
        DisplaySetupWindow* setup = app->displayBinder().setupWindow();
        EXPECT_TRUE(setup && setup->isVisible());
        return *setup;
    }
    DisplayWindow& openClock() {
        openSetup().openButton->button()->click();
        DisplayWindow* display = app->displayBinder().displayWindow();
        EXPECT_TRUE(display && display->isVisible());
        return *display;
    }
};

TEST_F(DisplayClock, TheNewButtonLiesWhereNoControlOfTheDesignEverIs) {
    start();
    MainWindow& w = main();
    const QRect button = w.displayButton->widget()->geometry();
    EXPECT_EQ(w.displayButton->widget()->objectName(), QString::fromUtf8("考场时钟按钮"));
    EXPECT_EQ(gbkToUtf8(w.displayButton->caption()), "考场时钟");
    // Inside the narrow window, beside the clock label and both places of the run button.
    EXPECT_LE(button.right(), MainWindow::kNarrowWidth - 1);
    EXPECT_LE(button.bottom(), MainWindow::kDesignHeight - 1);
    QRect runIdle = w.runButton->widget()->geometry();
    QRect runRunning = runIdle.translated(MainWindow::kRunButtonRunningLeft - runIdle.left(), 0);
    for (const QRect& r :
         {runIdle, runRunning, w.clockLabel->widget()->geometry(), w.picture->widget()->geometry(),
          w.tipAuthor->widget()->geometry(), w.examGroup->geometry(), w.cueGroup->geometry(),
          w.saveButton->widget()->geometry(), w.seatingButton->widget()->geometry(),
          w.reminderList->widget()->geometry()}) {
        EXPECT_FALSE(button.intersects(r)) << r.x() << "," << r.y();
    }
}

TEST_F(DisplayClock, FollowsTheEnabledExamsOnTheTickAndClosesWithEsc) {
    start();  // first run: 数学 09:00 and 英语 13:00, 120 minutes each, enabled
    DisplayWindow& d = openClock();
    EXPECT_TRUE(d.isFullScreen());
    EXPECT_EQ(caption(d.timeLabel), "08:00:00");
    EXPECT_EQ(caption(d.dateLabel), "2026年01月02日  星期五");
    EXPECT_EQ(caption(d.subjectLabel), "数学");
    EXPECT_EQ(caption(d.timesLabel), "开考 09:00    结束 11:00");
    EXPECT_EQ(caption(d.phaseLabel), "距开考");
    EXPECT_EQ(caption(d.remainingLabel), "01:00:00");
    clock.advance(1000);
    EXPECT_EQ(caption(d.timeLabel), "08:00:01");
    EXPECT_EQ(caption(d.remainingLabel), "00:59:59");
    clock.advance((2 * 3600 + 45 * 60) * 1000 - 1000);  // 10:45:00
    EXPECT_EQ(caption(d.phaseLabel), "考试中");
    EXPECT_EQ(caption(d.remainingLabel), "00:15:00");
    EXPECT_TRUE(d.lastStretchShown());
    clock.advance(15 * 60 * 1000);  // 11:00: the next one
    EXPECT_EQ(caption(d.subjectLabel), "英语");
    EXPECT_FALSE(d.lastStretchShown());
    // An exam switched off in the window leaves the clock at the next tick.
    main().examEnabled[2]->button()->click();
    clock.advance(1000);
    EXPECT_EQ(caption(d.phaseLabel), "已结束");
    EXPECT_EQ(caption(d.subjectLabel), "数学");

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&d, &esc);
    QCoreApplication::processEvents();
    EXPECT_EQ(app->displayBinder().displayWindow(), nullptr);
}

TEST_F(DisplayClock, DuringARunFollowsTheExamsTheRunStartedWith) {
    start();
    DisplayWindow& d = openClock();
    main().runButton->button()->click();
    ASSERT_TRUE(main().runButton->checked());
    // Edits after the start do not change the run, nor the clock.
    main().examSubject[1]->setText(utf8ToGbk("改名"));
    main().examStart[1]->setText("08:30");
    clock.advance(1000);
    EXPECT_EQ(caption(d.subjectLabel), "数学");
    EXPECT_EQ(caption(d.timesLabel), "开考 09:00    结束 11:00");
    // Paused: the window's exams again.
    main().runButton->button()->click();
    ASSERT_FALSE(main().runButton->checked());
    clock.advance(1000);
    EXPECT_EQ(caption(d.subjectLabel), "改名");
}

TEST_F(DisplayClock, TheWebPageIsSwitchedOnAndOffAndRemembered) {
    start();
    DisplaySetupWindow& s = openSetup();
    EXPECT_FALSE(s.serveCheck->checked());  // off by default
    EXPECT_FALSE(s.qrCode->visible());
    const int port = freePort();
    s.portEdit->setText(toText(port));
    s.serveCheck->button()->click();
    ASSERT_TRUE(app->displayBinder().server().running()) << caption(s.messageLabel);
    EXPECT_NE(caption(s.addressLabel).find(":" + std::to_string(port) + "/"), std::string::npos);
    EXPECT_TRUE(s.qrCode->visible());
    EXPECT_TRUE(s.qrCode->hasPicture());
    EXPECT_NE(configUtf8().find("[display]\r\nserve=1\r\nport=" + std::to_string(port)),
              std::string::npos);
    // The cue settings went into the new file first, as a save would have written them.
    EXPECT_NE(configUtf8().find("[music_1]"), std::string::npos);

    httplib::Client client("127.0.0.1", port);
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r->body)).object();
    EXPECT_EQ(o[u"subject"].toString(), QString::fromUtf8("数学"));
    EXPECT_EQ(o[u"phase"].toString(), u"before");

    s.serveCheck->button()->click();
    EXPECT_FALSE(app->displayBinder().server().running());
    EXPECT_FALSE(s.qrCode->visible());
    EXPECT_NE(configUtf8().find("serve=0"), std::string::npos);
}

TEST_F(DisplayClock, AConfigThatServesStartsThePageAndABadPortIsRefused) {
    const int port = freePort();
    writeConfig("[display]\r\nserve=1\r\nport=" + std::to_string(port) + "\r\n");
    start();
    EXPECT_TRUE(app->displayBinder().server().running());
    EXPECT_EQ(app->displayBinder().server().port(), port);
    EXPECT_EQ(readDisplayConfig(utf8ToGbk(folderUtf8() + "/config.ini")).port, port);

    // A port that another program holds: a message, and the page stays off.
    const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    const int taken = freePort();
    a.sin_port = htons(static_cast<std::uint16_t>(taken));
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(holder, 1), 0);
    DisplaySetupWindow& s = openSetup();
    s.serveCheck->button()->click();  // off
    s.portEdit->setText(toText(taken));
    s.serveCheck->button()->click();  // on, at the taken port
    EXPECT_FALSE(app->displayBinder().server().running());
    EXPECT_FALSE(s.serveCheck->checked());
    EXPECT_NE(caption(s.messageLabel).find("端口 " + std::to_string(taken) + " 已被占用"),
              std::string::npos);
    EXPECT_TRUE(messageShowsWhole(s));
    ::close(holder);
    s.portEdit->setText("70000");
    s.serveCheck->button()->click();
    EXPECT_FALSE(app->displayBinder().server().running());
    EXPECT_NE(caption(s.messageLabel).find("65535"), std::string::npos);
}

TEST_F(DisplayClock, APageThatCannotStartIsToldAtStartUp) {
    PortHolder holder;
    ASSERT_TRUE(holder.bound);
    writeConfig("[display]\r\nserve=1\r\nport=" + std::to_string(holder.port) + "\r\n");
    start();
    QCoreApplication::processEvents();  // the message waits for the main window
    EXPECT_FALSE(app->displayBinder().server().running());
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(dialogs.texts()[0].find("端口 " + std::to_string(holder.port) + " 已被占用"),
              std::string::npos)
        << dialogs.texts()[0];
    // The setup window says the same when opened, whole.
    DisplaySetupWindow& s = openSetup();
    EXPECT_EQ(caption(s.messageLabel), dialogs.texts()[0]);
    EXPECT_TRUE(messageShowsWhole(s));
}

TEST_F(DisplayClock, APortTypedWhileServingMovesThePageOrSaysWhyNot) {
    const int first = freePort();
    writeConfig("[display]\r\nserve=1\r\nport=" + std::to_string(first) + "\r\n");
    start();
    DisplaySetupWindow& s = openSetup();
    QLineEdit* box = s.portEdit->lineEdit();
    auto typePort = [&](int port) {
        focusOn(box);
        box->selectAll();
        type(box, QString::number(port));
        QTest::keyClick(box, Qt::Key_Return);
    };

    const int second = freePort();
    typePort(second);
    EXPECT_EQ(app->displayBinder().server().port(), second);
    EXPECT_NE(caption(s.addressLabel).find(":" + std::to_string(second) + "/"), std::string::npos);
    EXPECT_EQ(readDisplayConfig(utf8ToGbk(folderUtf8() + "/config.ini")).port, second);
    httplib::Client client("127.0.0.1", second);
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);

    // A port another program holds: the page stays where it is, and the window says so.
    PortHolder holder;
    ASSERT_TRUE(holder.bound);
    typePort(holder.port);
    EXPECT_TRUE(app->displayBinder().server().running());
    EXPECT_EQ(app->displayBinder().server().port(), second);
    EXPECT_EQ(s.portEdit->text(), toText(second));
    EXPECT_NE(caption(s.messageLabel).find("端口 " + std::to_string(holder.port) + " 已被占用"),
              std::string::npos);
    EXPECT_NE(caption(s.messageLabel).find("网页仍在端口 " + std::to_string(second)),
              std::string::npos);
    EXPECT_TRUE(messageShowsWhole(s));
    EXPECT_EQ(readDisplayConfig(utf8ToGbk(folderUtf8() + "/config.ini")).port, second);
}

TEST_F(DisplayClock, AnIpv6AddressIsWrittenInBrackets) {
    const int port = freePort();
    writeConfig("[display]\r\nserve=1\r\nport=" + std::to_string(port) + "\r\naddress=::\r\n");
    start();
    ASSERT_TRUE(app->displayBinder().server().running());
    // Every address: the one other computers reach, never ":::port".
    const std::string any = app->displayBinder().pageAddress();
    EXPECT_EQ(any.find(":::"), std::string::npos) << any;
    EXPECT_TRUE(any.rfind("http://", 0) == 0 &&
                any.find(":" + std::to_string(port) + "/") != std::string::npos)
        << any;
    writeConfig("[display]\r\nserve=1\r\nport=" + std::to_string(port) + "\r\naddress=::1\r\n");
    app->displayBinder().applyConfig();
    if (app->displayBinder().server().running()) {  // where the system has IPv6 at all
        EXPECT_EQ(app->displayBinder().pageAddress(), "http://[::1]:" + std::to_string(port) + "/");
    }
}

// Every line of the clock shows whole inside the window; the clock at full size for the height.
void expectLinesFit(DisplayWindow& window) {
    const int w = window.width();
    const int h = window.height();
    for (TransparentLabel* line : {window.dateLabel, window.timeLabel, window.subjectLabel,
                                   window.timesLabel, window.phaseLabel, window.remainingLabel}) {
        QLabel* label = line->label();
        const std::string name = label->objectName().toStdString();
        EXPECT_FALSE(label->text().isEmpty()) << name;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << name << " at " << w << "x" << h;
        EXPECT_LE(label->fontMetrics().height(), label->height()) << name;
        EXPECT_TRUE(window.rect().contains(label->geometry())) << name << " at " << w << "x" << h;
    }
    // The clock stays as large as the height allows, or fills the width of a narrow window;
    // the subject gave way.
    QLabel* time = window.timeLabel->label();
    EXPECT_TRUE(time->font().pixelSize() == static_cast<int>(h * 0.26) ||
                time->fontMetrics().horizontalAdvance(time->text()) > w * 0.85)
        << time->font().pixelSize() << " px at " << w << "x" << h;
    EXPECT_LT(window.subjectLabel->label()->font().pixelSize(), static_cast<int>(h * 0.10));
    if (const QByteArray folder = qgetenv("EXAMBELL_SCREENSHOT_DIR"); !folder.isEmpty()) {
        window.grab().save(QString::fromLocal8Bit(folder) +
                           u"/display-window-%1x%2.png"_qs.arg(w).arg(h));
    }
}

DisplayState longSubjectState() {
    // 20 characters, as the program may set them (typing stops at five bytes).
    const Text subject = utf8ToGbk("高二年级第一学期期末统一考试数学理科卷甲");
    return computeDisplayState({DisplayExam{subject, "08:30", 120, 0}},
                               LocalTime{2026, 1, 2, 9, 0, 0, 0, 5});
}

TEST(DisplayWindowFit, ALongSubjectFitsTheWindowAtScreenSizes) {
    for (const auto& [w, h] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
        DisplayWindow window;
        window.resize(w, h);
        window.showState(longSubjectState());
        window.show();
        QCoreApplication::processEvents();
        // The window keeps its size: a long text does not widen it.
        EXPECT_EQ(window.width(), w);
        EXPECT_EQ(window.height(), h);
        expectLinesFit(window);
    }
}

TEST(DisplayWindowFit, FullScreenItKeepsItsScreensSize) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    DisplayWindow window;
    window.showState(longSubjectState());
    window.openOn(screen);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.geometry(), screen->geometry());
    expectLinesFit(window);
}

TEST(DisplayConfigFile, BadValuesReadAsTheDefaults) {
    TempFolder folder;
    const auto path = folder.write("config.ini", "[display]\r\nserve=yes\r\nport=99999\r\n");
    const DisplayConfig c = readDisplayConfig(path.string());
    EXPECT_FALSE(c.serve);
    EXPECT_EQ(c.port, 8787);
    EXPECT_EQ(parsePort("8080"), 8080);
    EXPECT_EQ(parsePort("0"), 0);
    EXPECT_EQ(parsePort("-1"), 0);
    EXPECT_EQ(parsePort("80a"), 0);
}

}  // namespace
}  // namespace exambell::test
