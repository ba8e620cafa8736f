#include "app/Application.h"

#include <array>

#include "app/DisplayBinder.h"
#include "app/VoiceDownloadButton.h"
#include "runner/RunController.h"
#include "schedule/CueAudio.h"
#include "schedule/ExamFieldChecks.h"
#include "seating/SeatingController.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsMaintenance.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/Pictures.h"
#include "ui/SeatingWindow.h"

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
// Checked on a first run (no config.ini): exams 1 and 2, cues 4, 5 and 6.
constexpr std::array<int, 2> kFirstRunExams = {1, 2};
constexpr std::array<int, 3> kFirstRunCues = {4, 5, 6};

}  // namespace

Application::Application(const Platform& platform)
    : platform_(platform),
      main_(std::make_unique<MainWindow>()),
      settings_(std::make_unique<SettingsFile>(*main_, *platform_.dialogs, platform_.programDir)),
      cueAudio_(std::make_unique<CueAudio>(*main_, *platform_.audio, *platform_.dialogs)) {
    RunOperations run;
    run.checkCueFiles = [this] { return settings_->checkCueFiles(); };
    run.savedFlag = [this] { return settings_->savedFlag(); };
    run.saveSettings = [this] { settings_->saveSettings(); };
    run.saveExamSettings = [this] { settings_->saveExamSettings(); };
    run.playCue = [this](int cue) { cueAudio_->playCue(cue); };
    run_ = std::make_unique<RunController>(*main_, *platform_.clock, *platform_.dialogs,
                                           *platform_.audio, std::move(run));
    const DesignPictures pictures = loadDesignPictures(platform_.programDir);
    main_->runButton->setPictures(pictures.runIdle, pictures.runActive);
    main_->picture->setPicture(pictures.card);
    if (platform_.clock && platform_.audio) {
        cueAudio_ = std::make_unique<CueAudio>(*main_, *platform_.audio, *platform_.dialogs);
        run_ = std::make_unique<RunController>(
            *main_, *platform_.clock, *platform_.dialogs, *platform_.audio,
            RunOperations{[this] { return settings_->checkCueFiles(); },
                          [this] { return settings_->savedFlag(); },
                          [this] { settings_->saveSettings(); },
                          [this] { settings_->saveExamSettings(); },
                          [this](int cue) { cueAudio_->playCue(cue); }});
    }
    bindMainWindow();
    display_ =
        std::make_unique<DisplayBinder>(*main_, *platform_.clock, settings_->configPath(),
                                        displayHooks([this] { return run_.get(); }, *settings_));
}

Application::~Application() {
    // The clock, the tick and the cue rows go before the window they work on.
    display_.reset();
    run_.reset();
    cueAudio_.reset();
}

void Application::bindMainWindow() {
    MainWindow& w = *main_;
    examFieldChecks_ = std::make_unique<ExamFieldChecks>(w, *platform_.dialogs);
    for (int n = 1; n <= kExamCount; ++n) {
        QObject::connect(w.examEnabled[n], &CheckBox::clicked, w.examEnabled[n],
                         [this, n] { applyExamVisibility(n); });
    }
    QObject::connect(w.tipAuthor, &CheckBox::clicked, w.tipAuthor, [this] { showTipPicture(); });
    QObject::connect(w.saveButton, &Button::clicked, w.saveButton, [this] { saveWithPause(); });
    QObject::connect(w.importButton, &Button::clicked, w.importButton,
                     [this] { openImportWindow(); });
    QObject::connect(w.seatingButton, &Button::clicked, w.seatingButton,
                     [this] { openSeatingWindow(); });
    bindVoiceDownloadButton(w, *platform_.urlOpener);
}

void Application::startUp() {
    MainWindow& w = *main_;
    const Text voiceFolder = joinPath(platform_.programDir, kVoiceFolder);
    for (int n = 1; n <= kCueCount; ++n) {
        w.cuePath[n]->setText(joinPath(voiceFolder, kDefaultCueFiles[n]));
    }
    w.setWindowWidth(MainWindow::kNarrowWidth);
    settings_->setSavedFlag(false);
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
    bindImportWindow(*import_);
    import_->show();
}

SeatingWindow* Application::seatingWindow() const {
    return seating_.data();
}

ImportWindow* Application::importWindow() const {
    return import_.data();
}

void Application::bindSeatingWindow(SeatingWindow& window) {
    // The controller belongs to the window and goes with it. A class saved before config.ini
    // exists first writes the cue settings, so that the new file starts out whole.
    new SeatingController(window, *platform_.dialogs, *platform_.spreadsheet, *platform_.clock,
                          settings_->configPath(), [this] { settings_->saveCueSettings(); });
}

void Application::bindImportWindow(ImportWindow& window) {
    new ImportSettings(window, *platform_.dialogs, platform_.programDir, settings_->configPath(),
                       [this] { startUp(); });
}

void Application::saveWithPause() {
    const RunHooks run{[this] { return run_->runState(); }, [this] { run_->pauseRun(); }};
    exambell::saveWithPause(*platform_.dialogs, run, [this] { settings_->saveSettings(); });
}

}  // namespace exambell
