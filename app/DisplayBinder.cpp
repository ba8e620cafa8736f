#include "app/DisplayBinder.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <QLineEdit>
#include <QTimer>
#include <algorithm>

#include "platform/Dialogs.h"
#include "runner/RunController.h"
#include "settings/SettingsFile.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/DisplaySetupWindow.h"
#include "ui/DisplayWindow.h"
#include "ui/MainWindow.h"

namespace exambell {
namespace {

const Text& badPortText() {
    static const Text text = utf8ToGbk("端口须为 1 到 65535 之间的数字");
    return text;
}
// Why the page could not be switched on at that port (and address, from config.ini).
Text cannotServeText(DisplayServer::StartFailure failure, int port, const Text& address) {
    const std::string p = std::to_string(port);
    switch (failure) {
        case DisplayServer::StartFailure::BadPort:
            return badPortText();
        case DisplayServer::StartFailure::InUse:
            return utf8ToGbk("无法提供网页：端口 " + p + " 已被占用。请换一个端口再试");
        case DisplayServer::StartFailure::NeedsPrivilege:
            return utf8ToGbk("无法提供网页：端口 " + p +
                             " 须有管理员权限才能使用。请换一个 1024 到 65535 之间的端口再试");
        case DisplayServer::StartFailure::NotThisMachine:
            return utf8ToGbk("无法提供网页：配置文件中的地址 ") + address +
                   utf8ToGbk(" 不是本机的地址");
        case DisplayServer::StartFailure::None:
        case DisplayServer::StartFailure::Other:
            break;
    }
    return utf8ToGbk("无法提供网页：端口 " + p + " 无法使用。请换一个端口再试");
}
// After a failed change of port while the page is served.
Text stillServingText(int port) {
    return utf8ToGbk("网页仍在端口 " + std::to_string(port) + " 上提供");
}
const Text& notRememberedText() {
    static const Text text = utf8ToGbk("无法写入配置文件：下次启动时不会记住这项设置");
    return text;
}

// The address to bind: config.ini's, with "0.0.0.0" meaning every IPv4 address.
std::string bindAddress(const Text& configured) {
    return configured == "0.0.0.0" ? std::string() : configured;
}

// This computer's address as another computer of the school's network reaches it: the first
// IPv4 address of an interface that is up and not the loopback.
QString networkAddress() {
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) != 0) {
        return QStringLiteral("127.0.0.1");
    }
    QString found;
    for (const ifaddrs* i = all; i != nullptr && found.isEmpty(); i = i->ifa_next) {
        const unsigned flags = i->ifa_flags;
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET || !(flags & IFF_UP) ||
            !(flags & IFF_RUNNING) || (flags & IFF_LOOPBACK)) {
            continue;
        }
        const in_addr address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        char text[INET_ADDRSTRLEN] = {};
        if ((ntohl(address.s_addr) >> 24) != 127 &&
            inet_ntop(AF_INET, &address, text, sizeof text) != nullptr) {
            found = QString::fromLatin1(text);
        }
    }
    freeifaddrs(all);
    if (!found.isEmpty()) {
        return found;
    }
    return QStringLiteral("127.0.0.1");
}

}  // namespace

DisplayBinder::DisplayBinder(MainWindow& main, Clock& clock, Text configPath, Hooks hooks)
    : main_(main),
      clock_(clock),
      configPath_(std::move(configPath)),
      hooks_(std::move(hooks)),
      server_(std::make_unique<DisplayServer>()),
      rooms_(std::make_unique<RoomStatusBinder>(main, configPath_, hooks_.prepareConfig)),
      ticker_(clock, [this] { tick(); }) {
    QObject::connect(main_.displayButton, &Button::clicked, main_.displayButton,
                     [this] { openSetupWindow(); });
}

DisplayBinder::~DisplayBinder() {
    ticker_.stop();
    delete display_.data();
    server_.reset();
    for (std::thread& t : retiring_) {
        t.join();
    }
}

void DisplayBinder::applyConfig() {
    config_ = readDisplayConfig(configPath_);
    rooms_->applyConfig();
    serverMessage_.clear();
    if (config_.serve) {
        startServer();
    } else {
        stopServer();
    }
    showServerInSetup();
    updateTicker();
    // A page config.ini says to serve that cannot be had is said at once, not only when the
    // setup window is opened; after the main window has come up, over it.
    if (config_.serve && !server_->running() && hooks_.tell) {
        QTimer::singleShot(0, &main_,
                           [tell = hooks_.tell, message = serverMessage_] { tell(message); });
    }
}

std::vector<DisplayExam> DisplayBinder::currentExams() const {
    std::vector<DisplayExam> exams;
    if (hooks_.runExams && hooks_.runExams(exams)) {
        return exams;
    }
    for (int n = 1; n <= kExamCount; ++n) {
        if (main_.examEnabled[n]->checked()) {
            exams.push_back(DisplayExam{main_.examSubject[n]->text(), main_.examStart[n]->text(),
                                        toInteger(main_.examDuration[n]->text()), 0});
        }
    }
    return exams;
}

void DisplayBinder::tick() {
    const LocalTime now = clock_.now();
    const DisplayState state = computeDisplayState(currentExams(), now);
    if (display_) {
        display_->showState(state);
    }
    if (server_->running()) {
        server_->publish(state, localEpochMilliseconds(now));
    }
    // The room pages: their clocks by group, the run's cues, and what they reported.
    std::vector<DisplayExam> runExams;
    std::vector<RoomCueSwitches> switches;
    const bool run = hooks_.runExams && hooks_.runExams(runExams);
    if (run && hooks_.runSwitches) {
        hooks_.runSwitches(switches);
    }
    rooms_->tick(now, run ? runExams : currentExams(), switches, run,
                 server_->running() ? server_.get() : nullptr);
    if (display_) {
        display_->showRooms(rooms_->summary());
    }
}

void DisplayBinder::openSetupWindow() {
    if (setup_) {
        setup_->refreshScreens();
        setup_->raise();
        setup_->activateWindow();
        return;
    }
    setup_ = new DisplaySetupWindow(&main_);
    setup_->setAttribute(Qt::WA_DeleteOnClose);
    DisplaySetupWindow& w = *setup_;
    QObject::connect(w.openButton, &Button::clicked, w.openButton, [this] { openDisplay(); });
    QObject::connect(w.serveCheck, &CheckBox::clicked, w.serveCheck,
                     [this] { setServing(setup_->serveCheck->checked()); });
    // A port typed while the page is served takes effect when the box is left or Enter pressed
    // (not at every key: "8080" would pass through ports 8, 80 and 808).
    QObject::connect(w.portEdit, &EditBox::focusLost, w.portEdit, [this] { portTyped(); });
    QObject::connect(w.portEdit->lineEdit(), &QLineEdit::returnPressed, w.portEdit,
                     [this] { portTyped(); });
    QObject::connect(w.roomsButton, &Button::clicked, w.roomsButton, [this] {
        rooms_->openWindow();
        tick();
    });
    showServerInSetup();
    w.show();
}

void DisplayBinder::openDisplay() {
    if (!display_) {
        // A window of its own, not owned by the main window, so it can fill another screen.
        display_ = new DisplayWindow(nullptr);
        display_->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(display_, &DisplayWindow::closed, display_, [this] {
            if (!server_->running()) {
                ticker_.stop();
            }
        });
    }
    tick();
    display_->openOn(setup_ ? setup_->chosenScreen() : nullptr);
    updateTicker();
}

void DisplayBinder::setServing(bool on) {
    serverMessage_.clear();
    if (on) {
        const int port = setup_ ? parsePort(setup_->portEdit->text()) : config_.port;
        if (port == 0) {
            serverMessage_ = badPortText();
            showServerInSetup();
            return;
        }
        config_.port = port;
        config_.serve = startServer();
    } else {
        config_.serve = false;
        stopServer();
    }
    if (serverMessage_.empty()) {
        remember();
    }
    showServerInSetup();
    updateTicker();
}

void DisplayBinder::remember() {
    if (hooks_.prepareConfig) {
        hooks_.prepareConfig();
    }
    if (!writeDisplayConfig(configPath_, config_)) {
        serverMessage_ = notRememberedText();
    }
}

void DisplayBinder::portTyped() {
    if (!setup_ || !server_->running()) {
        return;  // not served: the port is taken when the page is switched on
    }
    const int port = parsePort(setup_->portEdit->text());
    if (port == config_.port) {
        return;
    }
    serverMessage_.clear();
    if (port == 0) {
        serverMessage_ = badPortText() + utf8ToGbk("。") + stillServingText(config_.port);
        showServerInSetup();
        return;
    }
    // The page moves only once the new port listens: a port that cannot be had leaves it where
    // it was, and says so.
    auto moved = std::make_unique<DisplayServer>();
    if (!moved->start(bindAddress(config_.address), port)) {
        serverMessage_ = cannotServeText(moved->startFailure(), port, config_.address) +
                         utf8ToGbk("。") + stillServingText(config_.port);
        showServerInSetup();
        return;
    }
    retire(std::move(server_));
    server_ = std::move(moved);
    config_.port = port;
    tick();
    remember();
    showServerInSetup();
}

bool DisplayBinder::startServer() {
    if (server_->running() && server_->port() == config_.port &&
        servedAddress_ == config_.address) {
        return true;
    }
    stopServer();
    if (!server_->start(bindAddress(config_.address), config_.port)) {
        serverMessage_ = cannotServeText(server_->startFailure(), config_.port, config_.address);
        return false;
    }
    servedAddress_ = config_.address;
    // The page has a state to show from its first request on.
    tick();
    return true;
}

void DisplayBinder::stopServer() {
    if (!server_->running()) {
        return;
    }
    retire(std::move(server_));
    server_ = std::make_unique<DisplayServer>();
}

void DisplayBinder::retire(std::unique_ptr<DisplayServer> server) {
    // Stopping waits for the workers to let go of their clients: not on the window's thread.
    retiring_.emplace_back([old = std::move(server)]() mutable { old.reset(); });
}

void DisplayBinder::updateTicker() {
    if ((display_ && display_->isVisible()) || server_->running()) {
        ticker_.start();
    } else {
        ticker_.stop();
    }
}

std::string DisplayBinder::pageAddress() const {
    if (!server_->running()) {
        return {};
    }
    QString host = QString::fromStdString(config_.address);
    if (host.isEmpty() || host == u"0.0.0.0" || host == u"::" || host == u"[::]") {
        host = networkAddress();  // every address: the one the school's network reaches
    } else if (host.contains(u':') && !host.startsWith(u'[')) {
        host = u'[' + host + u']';  // IPv6, as an address writes it
    }
    return QStringLiteral("http://%1:%2/").arg(host).arg(server_->port()).toStdString();
}

void DisplayBinder::showServerInSetup() {
    if (!setup_) {
        return;
    }
    setup_->serveCheck->setChecked(server_->running());
    setup_->portEdit->setText(toText(config_.port));
    setup_->showAddress(pageAddress());
    setup_->showServerMessage(serverMessage_);
}

DisplayBinder::Hooks displayHooks(std::function<const RunController*()> run, SettingsFile& settings,
                                  Dialogs& dialogs, const DialogOwner* owner) {
    DisplayBinder::Hooks hooks;
    hooks.tell = [&dialogs, owner](const Text& message) {
        dialogs.message(message, MessageButtons::Ok, MessageIcon::Error, owner);
    };
    hooks.runExams = [run](std::vector<DisplayExam>& exams) {
        const RunController* controller = run();
        if (!controller || !controller->examRun().active()) {
            return false;
        }
        for (const ExamSetting& e : controller->runExams()) {
            if (e.enabled) {
                exams.push_back(DisplayExam{e.subject, e.start, toInteger(e.duration), 0});
            }
        }
        return true;
    };
    hooks.runSwitches = [run](std::vector<RoomCueSwitches>& switches) {
        const RunController* controller = run();
        if (!controller || !controller->examRun().active()) {
            return;
        }
        const ExamRun& r = controller->examRun();
        for (int exam = 1; exam <= kExamCount; ++exam) {
            if (r.inRun(exam)) {
                const auto on = r.cueSwitches(exam);
                RoomCueSwitches s{};
                std::copy_n(on.begin(), std::min<std::size_t>(on.size(), s.size()), s.begin());
                switches.push_back(s);
            }
        }
    };
    hooks.prepareConfig = [&settings] {
        if (!fileExists(settings.configPath())) {
            settings.saveCueSettings();
        }
    };
    return hooks;
}

DisplaySetupWindow* DisplayBinder::setupWindow() const {
    return setup_.data();
}

DisplayWindow* DisplayBinder::displayWindow() const {
    return display_.data();
}

}  // namespace exambell
