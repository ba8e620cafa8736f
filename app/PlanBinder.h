#pragma once
// Exam plans wired into the program: the day's sittings loaded into the main window's exam rows
// (PlanLoader) with the notice 安排提示标签, the plan's 到点自动开始, a save from the main window
// written back into the plan, and the plan window opened by 考试安排按钮.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "runner/ExamRun.h"
#include "schedule/PreRunCheck.h"
#include "text/Text.h"

namespace exambell {

class AfterFirstPaint;
class MainWindow;
class PlanLoader;
class PlanWindow;
class PlanWindowBinder;
class SettingsForm;

class PlanBinder {
  public:
    struct Hooks {
        // Whether the run button is down (a run active or starting).
        std::function<bool()> runState;
        // Starts the run as the run button would, without asking about unsaved rows (the run's
        // start writes the rows).
        std::function<void()> startRun;
        // The check before a run, without its question.
        std::function<std::vector<RunProblem>()> problemsBeforeRun;
        // The exam rows were filled: their controls follow the check boxes.
        std::function<void()> rowsLoaded;
        // Called before the first write when config.ini does not exist yet, so that the new file
        // starts out with the program's settings and not with the plans alone.
        std::function<void()> prepareConfig;
    };

    PlanBinder(MainWindow& main, SettingsForm& rows, Clock& clock, Dialogs& dialogs,
               Text configPath, Text programDir, Hooks hooks);
    ~PlanBinder();
    PlanBinder(const PlanBinder&) = delete;
    PlanBinder& operator=(const PlanBinder&) = delete;

    // Start-up (and again after an import or a reset): today's sittings, unless a run is active.
    void startUp();
    // After a save from the main window that succeeded: the rows go back into their day.
    void afterSave();
    // The run became active or ended: the notice makes room for the run button.
    void runActiveChanged(bool active);

    PlanLoader& loader() { return *loader_; }
    // The plan's own cues of exam N as its row now stands, counted from its start: only while
    // the rows hold a day of the plan (the one loaded), the half-days found among the enabled
    // rows.
    std::vector<ExtraCue> extraCues(int exam, const ExamSetting& setting) const;
    // 考试安排按钮: the plan window, not modal, one at a time.
    void openPlanWindow();
    PlanWindow* planWindow() const;

  private:
    void showNotice(const Text& notice);
    void autoStart();

    MainWindow& main_;
    SettingsForm& rows_;
    Clock& clock_;
    Dialogs& dialogs_;
    Text configPath_;
    Text programDir_;
    Hooks hooks_;
    std::unique_ptr<PlanLoader> loader_;
    QPointer<QWidget> window_;  // the PlanWindow
    QPointer<PlanWindowBinder> windowBinder_;
    std::unique_ptr<AfterFirstPaint> firstPaint_;  // an automatic start waiting for the window
};

}  // namespace exambell
