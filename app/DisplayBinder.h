#pragma once
// The exam-room clock wired into the program: the main window's 考场时钟按钮 opens the setup
// window; from there the clock goes full screen on the chosen screen and the web page is switched
// on or off (and remembered in config.ini, section "display").
//
// The clock follows the run's exams while a run is active (as its start read them, with any
// shift), else the enabled exams of the main window. It moves on the run's one-second tick: a
// SecondTicker on the program's Clock, running while the window is open or the page is served.
// Each tick computes the state once, draws it and hands a copy to the server's threads.

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/DisplayConfig.h"
#include "app/RoomStatusBinder.h"
#include "display/DisplayServer.h"
#include "display/DisplayState.h"
#include "platform/Clock.h"
#include "runner/SecondTicker.h"

namespace exambell {

class DialogOwner;
class Dialogs;
class DisplaySetupWindow;
class DisplayWindow;
class MainWindow;
class RunController;
class SettingsFile;

class DisplayBinder {
  public:
    struct Hooks {
        // The run's exams while a run is active; nothing otherwise.
        std::function<bool(std::vector<DisplayExam>& exams)> runExams;
        // Each of those exams' cue switches, in the same order (for the room pages' cues).
        std::function<void(std::vector<RoomCueSwitches>& switches)> runSwitches;
        // Called before the first write when config.ini does not exist yet, so that the new file
        // starts out with the program's settings and not with this section alone.
        std::function<void()> prepareConfig;
        // Says a failure at once (a message box): a page config.ini says to serve that cannot be
        // switched on. May be empty.
        std::function<void(const Text& message)> tell;
    };

    DisplayBinder(MainWindow& main, Clock& clock, Text configPath, Hooks hooks);
    ~DisplayBinder();
    DisplayBinder(const DisplayBinder&) = delete;
    DisplayBinder& operator=(const DisplayBinder&) = delete;

    // Reads config.ini's "display" section and serves the page or not accordingly (start-up,
    // and again after an import or a reset).
    void applyConfig();

    void openSetupWindow();
    // The clock, full screen on the setup window's chosen screen (the primary one without it).
    void openDisplay();
    // Switches the page on or off with the port typed in the setup window; remembers both.
    void setServing(bool on);

    DisplaySetupWindow* setupWindow() const;
    DisplayWindow* displayWindow() const;
    const DisplayServer& server() const { return *server_; }
    // The room pages, their extra-time groups and the 考场状态 window.
    RoomStatusBinder& rooms() { return *rooms_; }
    // The address a classroom types, or "" while the page is off.
    std::string pageAddress() const;
    // The exams the clock follows now.
    std::vector<DisplayExam> currentExams() const;

    // One tick: the state of now, drawn and published.
    void tick();

  private:
    bool startServer();
    void stopServer();
    void retire(std::unique_ptr<DisplayServer> server);
    // A port typed in the setup window while the page is served: the page moves to it.
    void portTyped();
    // Writes the section; on failure the message says the setting will not be remembered.
    void remember();
    void updateTicker();
    void showServerInSetup();

    MainWindow& main_;
    Clock& clock_;
    Text configPath_;
    Hooks hooks_;
    DisplayConfig config_;
    Text serverMessage_;
    Text servedAddress_;  // config.ini's address the running server was bound with
    std::unique_ptr<DisplayServer> server_;
    std::vector<std::thread> retiring_;  // servers being stopped off the window's thread
    std::unique_ptr<RoomStatusBinder> rooms_;
    SecondTicker ticker_;
    QPointer<DisplaySetupWindow> setup_;
    QPointer<DisplayWindow> display_;
};

// The program's hooks: the exams of the active run of run() (nullptr: none), the cue settings
// written first into a config.ini that does not exist yet, and failures told in a message box
// over `owner`.
DisplayBinder::Hooks displayHooks(std::function<const RunController*()> run, SettingsFile& settings,
                                  Dialogs& dialogs, const DialogOwner* owner);

}  // namespace exambell
