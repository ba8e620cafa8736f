#include "app/Application.h"

#include <array>

#include "app/DisplayBinder.h"
#include "app/ImportWindowBinder.h"
#include "app/MainWindowBinder.h"
#include "app/PlanBinder.h"
#include "app/RunSafeguards.h"
#include "app/VoiceDownloadButton.h"
#include "runner/RunController.h"
#include "schedule/CueAudio.h"
#include "schedule/ExamFieldChecks.h"
#include "schedule/PreRunCheck.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsMaintenance.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowAdapter.h"
#include "ui/Pictures.h"
#include "ui/RunProgressAdapter.h"
#include "ui/SeatingWindow.h"
#include "ui/SeatingWindowBinder.h"

namespace exambell {
namespace {

// The default recordings beside the program, one per cue.
const Text kVoiceFolder = utf8ToGbk("语音文件库");
const std::array<Text, kCueCount + 1> kDefaultCueFiles = {"",
                                                          utf8ToGbk("01开考前15分钟.mp3"),
                                                          utf8ToGbk("02开考前8分钟.mp3"),
                                                          utf8ToGbk("03开考前5分钟.mp3"),
                                                          utf8ToGbk("04开考.mp3"),
                                                          utf8ToGbk("05结束前15分钟.mp3"),
                                                          utf8ToGbk("06结束.mp3"),
                                                          utf8ToGbk("07简短铃音.mp3")};
const Text kAudioFilter = utf8ToGbk("音乐文件(*.mp3;*.wav;*.mid)|*.mp3;*.wav;*.mid");
const Text kSettingsAt = utf8ToGbk("设置保存在 ");
// Checked on a first run (no config.ini): exams 1 and 2, cues 4, 5 and 6.
constexpr std::array<int, 2> kFirstRunExams = {1, 2};
constexpr std::array<int, 3> kFirstRunCues = {4, 5, 6};

// The folder of config.ini; empty when nothing may keep one.
Text settingsFolderOf(const Platform& platform) {
    if (platform.noSettingsFolder) {
        return Text();
    }
    return platform.settingsDir.empty() ? platform.programDir : platform.settingsDir;
}

MissReason missReasonOf(PlayOutcome outcome) {
    switch (outcome) {
        case PlayOutcome::FileMissing:
            return MissReason::FileMissing;
        case PlayOutcome::Undecodable:
            return MissReason::Undecodable;
        default:
            return MissReason::NoAudioDevice;
    }
}

}  // namespace

Application::Application(const Platform& platform)
    : platform_(platform),
      main_(std::make_unique<MainWindow>()),
      form_(std::make_unique<MainWindowAdapter>(*main_)),
      settings_(
          std::make_unique<SettingsFile>(*form_, *platform_.dialogs, settingsFolderOf(platform_))),
      cueAudio_(std::make_unique<CueAudio>(*form_, main_->fileDialog, *platform_.audio,
                                           *platform_.dialogs)),
      safeguards_(std::make_unique<RunSafeguards>(*main_, *platform_.dialogs, *platform_.audio,
                                                  platform_.clockSync, platform_.inhibitor)) {
    RunOperations run;
    run.checkCueFiles = [this] { return settings_->checkCueFiles(); };
    run.savedFlag = [this] { return settings_->savedFlag(); };
    run.saveSettings = [this] { saveSettings(); };
    run.saveExamSettings = [this] { settings_->saveExamSettings(); };
    run.playCue = [this](int cue) { playDueCue(cue); };
    run.checkBeforeRun = [this] { return safeguards_->checkBeforeRun(); };
    run.runActiveChanged = [this](bool active) {
        // A cue still waiting for a device when the run ends is told all the same: its row keeps
        // showing until the next start.
        if (active) {
            playsInFlight_.clear();
        }
        safeguards_->runActiveChanged(active);
        if (plans_) {
            plans_->runActiveChanged(active);
        }
    };
    runProgress_ = std::make_unique<RunProgressAdapter>(*main_);
    run_ = std::make_unique<RunController>(*form_, *form_, *platform_.clock, *platform_.dialogs,
                                           *platform_.audio, std::move(run), runProgress_.get());
    platform_.audio->setReportHandler([this](const PlayReport& report) { takePlayReport(report); });
    examFieldChecks_ = std::make_unique<ExamFieldChecks>(*form_, *platform_.dialogs);
    download_ = std::make_unique<VoiceDownloadButton>(*main_->downloadButton, *platform_.urlOpener);
    const DesignPictures pictures = loadDesignPictures(platform_.programDir);
    main_->runButton->setPictures(pictures.runIdle, pictures.runActive);
    main_->picture->setPicture(pictures.card);
    safeguards_->setSettingsNote(settingsNote());
    binder_ = std::make_unique<MainWindowBinder>(*main_, *this, *run_, *cueAudio_,
                                                 *examFieldChecks_, *download_);
    // Closing the main window during a run ends the run, after a question.
    main_->setCloseGuard([this] {
        if (!run_->runState()) {
            return true;
        }
        if (!safeguards_->confirmCloseDuringRun()) {
            return false;
        }
        run_->pauseRun();
        return true;
    });
    display_ = std::make_unique<DisplayBinder>(
        *main_, *platform_.clock, settings_->configPath(),
        displayHooks([this] { return run_.get(); }, *settings_, *platform_.dialogs, main_.get()));
    PlanBinder::Hooks planHooks;
    planHooks.runState = [this] { return run_->runState(); };
    planHooks.startRun = [this] {
        // The run's start writes the rows it runs: no question about unsaved rows.
        settings_->setSavedFlag(true);
        run_->setRunState(true);
        run_->toggleRun();
    };
    planHooks.problemsBeforeRun = [this] { return safeguards_->problemsBeforeRun(); };
    planHooks.prepareConfig = [this] { settings_->saveCueSettings(); };
    planHooks.rowsLoaded = [this] {
        for (int n = 1; n <= kExamCount; ++n) {
            applyExamVisibility(n);
        }
    };
    plans_ = std::make_unique<PlanBinder>(*main_, *form_, *platform_.clock, *platform_.dialogs,
                                          settings_->configPath(), platform_.programDir,
                                          std::move(planHooks));
    run_->setExtraCues(
        [this](int exam, const ExamSetting& setting) { return plans_->extraCues(exam, setting); });
}

Application::~Application() {
    platform_.audio->setReportHandler({});
    plans_.reset();
    // The exam-room clock follows the run: it goes first.
    display_.reset();
}

void Application::playDueCue(int cue) {
    // The row is marked by what the output says of the play: at once, or later by its report.
    // A file gone since the start is said at once whatever the output makes of it.
    const ExamRun::PlayId play = run_->currentPlay();
    if (cue >= 1 && cue <= kCueCount && !fileExists(main_->cuePath[cue]->text())) {
        run_->reportMissed(play, MissReason::FileMissing);
    }
    const PlayResult result = cue >= kFirstExtraCue ? playExtraCue(cue) : cueAudio_->playCue(cue);
    if (result.outcome == PlayOutcome::Started) {
        playsInFlight_[result.id] = play;
        return;
    }
    if (result.outcome == PlayOutcome::NoDevice) {
        // The sound waits a while for a device: a Started report marks it played late, a NoDevice
        // report missed. Nothing is said before that.
        playsInFlight_[result.id] = play;
        run_->reportWaiting(play);
        return;
    }
    run_->reportMissed(play, missReasonOf(result.outcome));
}

PlayResult Application::playExtraCue(int cue) {
    // An exam plan's own cue: its recording, by the player its name chooses, as a cue row's.
    const Text path = run_->examRun().extraCuePath(cue);
    if (!fileExists(path)) {
        run_->reportMissed(run_->currentPlay(), MissReason::FileMissing);
    }
    platform_.audio->stopAllAudio();
    return cuePlayerFor(path) == CuePlayer::Compressed ? platform_.audio->playCompressedFile(path)
                                                       : platform_.audio->playSoundFile(path);
}

void Application::takePlayReport(const PlayReport& report) {
    const auto found = playsInFlight_.find(report.id);
    if (found == playsInFlight_.end()) {
        return;
    }
    const ExamRun::PlayId play = found->second;
    if (report.outcome != PlayOutcome::Started) {
        playsInFlight_.erase(found);
    }
    if (report.outcome == PlayOutcome::Started) {
        const LocalTime now = platform_.clock->now();
        run_->reportPlayed(play, &now);
    } else {
        run_->reportMissed(play, missReasonOf(report.outcome));
    }
}

void Application::startUp() {
    MainWindow& w = *main_;
    const Text voiceFolder = joinPath(platform_.programDir, kVoiceFolder);
    for (int n = 1; n <= kCueCount; ++n) {
        w.cuePath[n]->setText(joinPath(voiceFolder, kDefaultCueFiles[n]));
    }
    w.setWindowWidth(MainWindow::kNarrowWidth);
    settings_->setSavedFlag(false);
    settings_->prepareFile(platform_.preparedDir);
    if (fileExists(settings_->configPath())) {
        settings_->loadSettings();
    } else {
        for (int n : kFirstRunExams) {
            w.examEnabled[n]->setChecked(true);
        }
        for (int n : kFirstRunCues) {
            w.cueEnabled[n]->setChecked(true);
        }
    }
    w.fileDialog.setInitialFolder(voiceFolder);
    w.fileDialog.setFilter(kAudioFilter);
    for (int n = 1; n <= kExamCount; ++n) {
        applyExamVisibility(n);
    }
    display_->applyConfig();
    if (!run_->runState()) {
        plans_->startUp();
    }
}

Text Application::settingsNote() const {
    if (platform_.noSettingsFolder) {
        return noSettingsFolderMessage();
    }
    // Settings moved out of a portable folder that cannot be written: say where they go.
    if (!platform_.preparedDir.empty()) {
        return kSettingsAt + settings_->configPath();
    }
    return Text();
}

void Application::applyExamVisibility(int n) {
    MainWindow& w = *main_;
    const bool shown = w.examEnabled[n]->checked();
    w.examStart[n]->setVisible(shown);
    w.examDuration[n]->setVisible(shown);
    w.examEnd[n]->setVisible(shown);
}

void Application::showTipPicture() {
    main_->picture->setVisible(main_->tipAuthor->checked());
}

void Application::openSeatingWindow() {
    if (seating_) {
        seating_->raise();
        seating_->activateWindow();
        return;
    }
    seating_ = new SeatingWindow(main_.get());
    seating_->setAttribute(Qt::WA_DeleteOnClose);
    bindSeatingWindow(*seating_);
    seating_->show();
}

void Application::openImportWindow() {
    if (import_) {
        import_->raise();
        return;
    }
    import_ = new ImportWindow(main_.get());
    import_->setAttribute(Qt::WA_DeleteOnClose);
    // Modal without a nested event loop: the main window takes no input while it is open,
    // and the clock keeps ticking.
    import_->setWindowModality(Qt::ApplicationModal);
    // The binder belongs to the window and goes with it.
    const Text& home = platform_.homeDir.empty() ? platform_.programDir : platform_.homeDir;
    new ImportWindowBinder(*import_, *platform_.dialogs, home, settings_->configPath(),
                           [this] { startUp(); });
    // The dialog opens where the last chosen file lay, and offers that file again.
    import_->fileDialog.setFileName(lastImportFile_);
    QObject::connect(import_.data(), &Window::closing, import_.data(),
                     [this, window = import_.data()] {
                         if (!window->fileDialog.fileName().empty()) {
                             lastImportFile_ = window->fileDialog.fileName();
                         }
                     });
    import_->show();
}

SeatingWindow* Application::seatingWindow() const {
    return seating_.data();
}

ImportWindow* Application::importWindow() const {
    return import_.data();
}

void Application::bindSeatingWindow(SeatingWindow& window) {
    // The binder belongs to the window and goes with it. A class saved before config.ini
    // exists first writes the cue settings, so that the new file starts out whole.
    new SeatingWindowBinder(window, *platform_.dialogs, *platform_.spreadsheet, *platform_.clock,
                            settings_->configPath(), [this] { settings_->saveCueSettings(); });
}

void Application::saveWithPause() {
    const RunHooks run{[this] { return run_->runState(); }, [this] { run_->pauseRun(); }};
    exambell::saveWithPause(*platform_.dialogs, run, [this] { saveSettings(); });
}

void Application::saveSettings() {
    settings_->saveSettings();
    if (settings_->savedFlag()) {
        plans_->afterSave();
    }
}

}  // namespace exambell
