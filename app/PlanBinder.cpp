#include "app/PlanBinder.h"

#include <QTimer>
#include <QTreeWidget>

#include "plans/PlanEditor.h"
#include "plans/PlanLoader.h"
#include "plans/PlanWeekSheet.h"
#include "plans/TimetableImport.h"
#include "runner/CueSchedule.h"
#include "settings/SettingsForm.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/AfterFirstPaint.h"
#include "ui/MainWindow.h"
#include "ui/PlanWindow.h"
#include "ui/QtChartOutput.h"

namespace exambell {
namespace {

const Text kAutoStartRefused = utf8ToGbk("到点自动开始未执行，请处理以下问题后手动开始：");
const Text kAutoStartRefusedNotice = utf8ToGbk("到点自动开始未执行");
const Text kVoiceFolder = utf8ToGbk("语音文件库");
const Text kSavedMessage = utf8ToGbk("保存成功");
const Text kSaveFailedMessage = utf8ToGbk("保存失败");
const Text kRemovePlanQuestion = utf8ToGbk("确定删除考试安排“");
const Text kRemovePlanQuestionEnd = utf8ToGbk("”吗？");
const Text kUnsavedQuestion = utf8ToGbk("考试安排已修改，是否保存？");
const Text kNewPlanName = utf8ToGbk("新考试安排");
const Text kActiveMark = utf8ToGbk("（当前）");
const Text kTimetableFilter = utf8ToGbk("考试时间表(*.xlsx;*.csv;*.txt)|*.xlsx;*.csv;*.txt");
const Text kPdfFilter = utf8ToGbk("PDF 文件(*.pdf)|*.pdf");
const Text kPdfSuffix = utf8ToGbk(".pdf");
const Text kPdfWritten = utf8ToGbk("已生成一周考试安排：");
const Text kPdfFailed = utf8ToGbk("无法写入这个文件，请换一个位置");
const Text kImportQuestion = utf8ToGbk("是否导入这些考试？");
const Text kImportedBefore = utf8ToGbk("已导入 ");
const Text kImportedAfter = utf8ToGbk(" 场考试");
const Text kAudioFilter = utf8ToGbk("音乐文件(*.mp3;*.wav;*.mid)|*.mp3;*.wav;*.mid");
const std::array<Text, 4> kAnchorCaptions = {
    utf8ToGbk("开考"), utf8ToGbk("结束"), utf8ToGbk("半天首场开考"), utf8ToGbk("半天其余场开考")};

// The minutes of a plan cue as the list shows them: "+15", "-30".
Text signedMinutes(int minutes) {
    return (minutes > 0 ? "+" : "") + toText(minutes);
}

// The main window's cues a sitting has on, by number: "4 5 6".
Text cueNumbers(const PlanSitting& s) {
    Text out;
    for (std::size_t i = 0; i < s.cues.size(); ++i) {
        if (s.cues[i]) {
            out += (out.empty() ? "" : " ") + toText(static_cast<int>(i + 1));
        }
    }
    return out;
}

}  // namespace

// The plan window's controls and the editor behind them; a child of the window, it goes with it.
class PlanWindowBinder : public QObject {
  public:
    PlanWindowBinder(PlanWindow& window, PlanBinder& owner, Dialogs& dialogs, SettingsForm& rows,
                     const Text& configPath, const Text& programDir,
                     std::function<void()> prepareConfig, std::function<void()> planSaved)
        : QObject(&window),
          w_(window),
          owner_(owner),
          dialogs_(dialogs),
          rows_(rows),
          configPath_(configPath),
          editor_(configPath, joinPath(programDir, kVoiceFolder)),
          fileDialog_(utf8ToGbk("录音对话框"), &window),
          prepareConfig_(std::move(prepareConfig)),
          planSaved_(std::move(planSaved)) {
        (void)owner_;
        fileDialog_.setFilter(kAudioFilter);
        fileDialog_.setInitialFolder(joinPath(programDir, kVoiceFolder));
        for (const Text& caption : kAnchorCaptions) {
            w_.cueAnchorBox->addItem(caption, w_.cueAnchorBox->count());
        }
        w_.cueAnchorBox->setCurrentIndex(0);
        editor_.reload();
        bind();
        refresh();
        w_.setCloseGuard([this] { return closing(); });
    }

    PlanEditor& editor() { return editor_; }
    // The plans changed in the file from elsewhere (a save from the main window): shown again
    // unless the window holds edits of its own.
    void reloadUnlessEdited() {
        if (!editor_.dirty()) {
            const int current = editor_.current();
            editor_.reload();
            editor_.choose(current);
            refresh();
        }
    }

  private:
    void bind() {
        connect(w_.planBox, &ComboBox::itemChosen, this, [this] {
            editor_.choose(w_.planBox->currentIndex());
            refresh();
        });
        // The name follows every edit; an empty one is refused only when the plan is saved.
        connect(w_.nameEdit, &EditBox::contentChanged, this, [this] {
            if (editor_.plan() != nullptr && !w_.nameEdit->text().empty()) {
                editor_.rename(w_.nameEdit->text());
                refreshPlanBox();
            }
        });
        connect(w_.newButton, &Button::clicked, this, [this] {
            tell(editor_.newPlan(kNewPlanName +
                                 toText(static_cast<std::int64_t>(editor_.plans().size() + 1))));
            refresh();
        });
        connect(w_.removePlanButton, &Button::clicked, this, [this] { removePlan(); });
        connect(w_.activeBox, &CheckBox::clicked, this, [this] {
            prepare();
            if (!editor_.setActive(w_.activeBox->checked())) {
                tell(kSaveFailedMessage);
            }
            refresh();
            planSaved_();
        });
        connect(w_.autoStartBox, &CheckBox::clicked, this,
                [this] { editor_.setAutoStart(w_.autoStartBox->checked()); });
        connect(w_.sittingList->tree(), &QTreeWidget::currentItemChanged, this,
                [this] { showChosenSitting(); });
        connect(w_.addButton, &Button::clicked, this, [this] {
            std::array<bool, kCueCount> cues{};
            const CueSettings rowCues = rows_.cues();
            for (std::size_t i = 0; i < cues.size(); ++i) {
                cues[i] = rowCues[i].enabled;
            }
            edit(editor_.addSitting(fields(), cues));
        });
        connect(w_.changeButton, &Button::clicked, this,
                [this] { edit(editor_.replaceSitting(chosen(), fields())); });
        connect(w_.removeButton, &Button::clicked, this,
                [this] { edit(editor_.removeSitting(chosen())); });
        connect(w_.copyButton, &Button::clicked, this,
                [this] { edit(editor_.copyDay(chosen(), w_.copyDateEdit->text())); });
        connect(w_.moveButton, &Button::clicked, this,
                [this] { edit(editor_.moveDay(chosen(), w_.moveMinutesEdit->text())); });
        connect(w_.cueChooseButton, &Button::clicked, this, [this] {
            if (fileDialog_.openFile(dialogs_)) {
                w_.cuePathEdit->setText(fileDialog_.fileName());
            }
        });
        connect(w_.cueAddButton, &Button::clicked, this, [this] {
            edit(editor_.addCue(PlanCueFields{w_.cueNameEdit->text(),
                                              w_.cueAnchorBox->currentIndex(),
                                              w_.cueMinutesEdit->text(), w_.cuePathEdit->text()}));
        });
        connect(w_.cueRemoveButton, &Button::clicked, this, [this] {
            const int row = PlanWindow::chosenRow(*w_.cueList);
            if (row >= 0) {
                edit(editor_.removeCue(static_cast<std::size_t>(row)));
            }
        });
        connect(w_.saveButton, &Button::clicked, this, [this] { save(); });
        connect(w_.importButton, &Button::clicked, this, [this] { importTimetable(); });
        connect(w_.printButton, &Button::clicked, this, [this] { writeWeekSheet(); });
    }

    SittingFields fields() const {
        return SittingFields{w_.dateEdit->text(), w_.subjectEdit->text(), w_.startEdit->text(),
                             w_.durationEdit->text()};
    }

    std::size_t chosen() const {
        const int row = PlanWindow::chosenRow(*w_.sittingList);
        return row < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(row);
    }

    void showChosenSitting() {
        const ExamPlan* plan = editor_.plan();
        const std::size_t i = chosen();
        if (plan == nullptr || i >= plan->sittings.size()) {
            return;
        }
        const PlanSitting& s = plan->sittings[i];
        w_.dateEdit->setText(s.date);
        w_.subjectEdit->setText(s.subject);
        w_.startEdit->setText(s.start);
        w_.durationEdit->setText(toText(s.duration));
        w_.copyDateEdit->setText(s.date);
    }

    void edit(const Text& problem) {
        if (!problem.empty()) {
            tell(problem);
            return;
        }
        refresh();
    }

    void tell(const Text& message) {
        if (!message.empty()) {
            dialogs_.message(message, MessageButtons::Ok, MessageIcon::None, &w_);
        }
    }

    void prepare() {
        if (!fileExists(configPath_) && prepareConfig_) {
            prepareConfig_();
        }
    }

    bool save() {
        if (editor_.plan() != nullptr && w_.nameEdit->text().empty()) {
            tell(kPlanNameMissingMessage);
            return false;
        }
        prepare();
        const bool saved = editor_.save();
        tell(saved ? kSavedMessage : kSaveFailedMessage);
        refresh();
        if (saved) {
            planSaved_();
        }
        return saved;
    }

    // 导入时间表: the rows that pass are offered with the bad ones listed; nothing is kept
    // until the operator accepts, and then the plans are saved.
    void importTimetable() {
        const std::optional<Text> path = dialogs_.openFile(kTimetableFilter, Text(), Text(), &w_);
        if (!path) {
            return;
        }
        std::array<bool, kCueCount> cues{};
        const CueSettings rowCues = rows_.cues();
        for (std::size_t i = 0; i < cues.size(); ++i) {
            cues[i] = rowCues[i].enabled;
        }
        const ExamPlan* plan = editor_.plan();
        const TimetableImport import = exambell::importTimetable(
            *path, plan != nullptr ? plan->sittings : std::vector<PlanSitting>{}, cues);
        if (!import.error.empty()) {
            tell(import.error);
            return;
        }
        const Text summary = importSummary(import);
        if (import.sittings.empty()) {
            tell(summary);
            return;
        }
        if (dialogs_.message(summary + "\r\n" + kImportQuestion, MessageButtons::YesNo,
                             MessageIcon::None, &w_) != kYes) {
            return;
        }
        if (plan == nullptr) {
            // A first plan takes the file's name.
            Text name = fileNamePart(*path);
            const std::size_t dot = name.rfind('.');
            editor_.newPlan(dot == Text::npos || dot == 0 ? name : name.substr(0, dot));
        }
        if (Text problem = editor_.addSittings(import.sittings); !problem.empty()) {
            tell(problem);
            return;
        }
        prepare();
        const bool saved = editor_.save();
        refresh();
        tell(saved ? kImportedBefore + toText(static_cast<std::int64_t>(import.sittings.size())) +
                         kImportedAfter
                   : kSaveFailedMessage);
        if (saved) {
            planSaved_();
        }
    }

    // 打印一周安排: the week's sheet as a PDF, through the seating chart's page code.
    void writeWeekSheet() {
        const ExamPlan* plan = editor_.plan();
        if (plan == nullptr || plan->sittings.empty()) {
            tell(kNoSittingChosenMessage);
            return;
        }
        const std::optional<Text> path =
            dialogs_.saveFile(kPdfFilter, Text(), plan->name + kPdfSuffix, &w_);
        if (!path) {
            return;
        }
        QtChartOutput output;
        tell(output.writePdf(weekSheet(*plan), *path) ? kPdfWritten + *path : kPdfFailed);
    }

    void removePlan() {
        const ExamPlan* plan = editor_.plan();
        if (plan == nullptr) {
            return;
        }
        if (dialogs_.message(kRemovePlanQuestion + plan->name + kRemovePlanQuestionEnd,
                             MessageButtons::YesNo, MessageIcon::None, &w_) != kYes) {
            return;
        }
        if (!editor_.removePlan()) {
            tell(kSaveFailedMessage);
        }
        refresh();
        planSaved_();
    }

    bool closing() {
        if (!editor_.dirty()) {
            return true;
        }
        const int answer =
            dialogs_.message(kUnsavedQuestion, MessageButtons::YesNo, MessageIcon::None, &w_);
        return answer != kYes || save();
    }

    void refreshPlanBox() {
        w_.planBox->clear();
        for (std::size_t i = 0; i < editor_.plans().size(); ++i) {
            const int index = static_cast<int>(i);
            w_.planBox->addItem(
                editor_.plans()[i].name + (index == editor_.active() ? kActiveMark : Text()),
                index);
        }
        w_.planBox->setCurrentIndex(editor_.current());
    }

  public:
    void refresh() {
        refreshPlanBox();
        const ExamPlan* plan = editor_.plan();
        w_.nameEdit->setText(plan != nullptr ? plan->name : Text());
        w_.activeBox->setChecked(plan != nullptr && editor_.current() == editor_.active());
        w_.autoStartBox->setChecked(plan != nullptr && plan->autoStart);
        const int keep = PlanWindow::chosenRow(*w_.sittingList);
        w_.sittingList->deleteAllRows();
        w_.cueList->deleteAllRows();
        if (plan == nullptr) {
            return;
        }
        for (const PlanSitting& s : plan->sittings) {
            const int row = w_.sittingList->addRow();
            const auto date = parseDate(s.date);
            w_.sittingList->setCell(row, 0, s.date);
            w_.sittingList->setCell(row, 1, date ? weekdayName(*date) : Text());
            w_.sittingList->setCell(row, 2, s.subject);
            w_.sittingList->setCell(row, 3, s.start);
            w_.sittingList->setCell(row, 4, toText(s.duration) + utf8ToGbk("分钟"));
            w_.sittingList->setCell(row, 5, clockText(sittingEnd(s)));
            w_.sittingList->setCell(row, 6, cueNumbers(s));
        }
        if (keep >= 0 && keep < w_.sittingList->rowCount()) {
            w_.sittingList->tree()->setCurrentItem(w_.sittingList->tree()->topLevelItem(keep));
        }
        for (const PlanCue& cue : plan->cues) {
            const int row = w_.cueList->addRow();
            w_.cueList->setCell(row, 0, cue.name);
            w_.cueList->setCell(row, 1, kAnchorCaptions[static_cast<std::size_t>(cue.anchor)]);
            w_.cueList->setCell(row, 2, signedMinutes(cue.offset));
            w_.cueList->setCell(row, 3, fileNamePart(cue.path));
        }
    }

  private:
    PlanWindow& w_;
    PlanBinder& owner_;
    Dialogs& dialogs_;
    SettingsForm& rows_;
    Text configPath_;
    PlanEditor editor_;
    FileDialog fileDialog_;
    std::function<void()> prepareConfig_;
    std::function<void()> planSaved_;
};

PlanBinder::PlanBinder(MainWindow& main, SettingsForm& rows, Clock& clock, Dialogs& dialogs,
                       Text configPath, Text programDir, Hooks hooks)
    : main_(main),
      rows_(rows),
      clock_(clock),
      dialogs_(dialogs),
      configPath_(std::move(configPath)),
      programDir_(std::move(programDir)),
      hooks_(std::move(hooks)) {
    PlanLoaderHooks loaderHooks;
    loaderHooks.runActive = [this] { return hooks_.runState && hooks_.runState(); };
    loaderHooks.notice = [this](const Text& notice) { showNotice(notice); };
    loaderHooks.autoStart = [this] { autoStart(); };
    loaderHooks.rowsLoaded = [this] {
        if (hooks_.rowsLoaded) {
            hooks_.rowsLoaded();
        }
    };
    loader_ = std::make_unique<PlanLoader>(rows_, clock_, configPath_, std::move(loaderHooks));
}

PlanBinder::~PlanBinder() = default;

void PlanBinder::startUp() {
    loader_->loadToday();
}

void PlanBinder::afterSave() {
    const Text problem = loader_->writeBack();
    if (windowBinder_) {
        windowBinder_->reloadUnlessEdited();
    }
    if (!problem.empty()) {
        dialogs_.message(problem, MessageButtons::Ok, MessageIcon::None, &main_);
    }
}

void PlanBinder::runActiveChanged(bool active) {
    main_.planNotice->setVisible(!active && !main_.planNotice->caption().empty());
}

void PlanBinder::showNotice(const Text& notice) {
    main_.planNotice->setCaption(notice);
    main_.planNotice->setVisible(!(hooks_.runState && hooks_.runState()));
}

void PlanBinder::autoStart() {
    if (!main_.isVisible() && !firstPaint_) {
        // At start-up the audio device opens once the main window has painted (or a while
        // later, when it never paints): the check before the run waits for that, or it would
        // find no device. Only once: later days start at once.
        firstPaint_ = std::make_unique<AfterFirstPaint>(main_, [this] {
            // After the program's own first-paint work, which was queued before this; the
            // waiting object is the context, so that nothing runs once the binder has gone.
            QTimer::singleShot(0, firstPaint_.get(), [this] { autoStart(); });
        });
        return;
    }
    if (hooks_.runState && hooks_.runState()) {
        return;
    }
    const std::vector<RunProblem> problems =
        hooks_.problemsBeforeRun ? hooks_.problemsBeforeRun() : std::vector<RunProblem>{};
    if (!problems.empty()) {
        // The problems without the question "start anyway": nothing starts by itself.
        Text list = runProblemsMessage(problems);
        const std::size_t question = list.rfind("\r\n");
        list = list.substr(0, question);
        showNotice(main_.planNotice->caption() + "\r\n" + kAutoStartRefusedNotice);
        dialogs_.message(kAutoStartRefused + "\r\n" + list, MessageButtons::Ok, MessageIcon::None,
                         &main_);
        return;
    }
    if (hooks_.startRun) {
        hooks_.startRun();
    }
}

std::vector<ExtraCue> PlanBinder::extraCues(int exam, const ExamSetting& setting) const {
    std::vector<ExtraCue> out;
    if (loader_->loadedPlan() == 0 || exam < 1 || exam > kExamCount) {
        return out;
    }
    const PlanStore store(configPath_);
    ExamPlan plan;
    plan.cues = store.cues(loader_->loadedPlan());
    if (plan.cues.empty()) {
        return out;
    }
    const auto asSitting = [this](const ExamSetting& row) {
        PlanSitting s;
        s.date = loader_->loadedDate();
        s.subject = row.subject;
        s.start = clockText(static_cast<int>(startMinutes(row.start)));
        s.duration = static_cast<int>(toInteger(row.duration));
        return s;
    };
    std::vector<PlanSitting> day;
    const ExamSettings rows = rows_.exams();
    for (int n = 1; n <= kExamCount; ++n) {
        const ExamSetting& row = n == exam ? setting : rows[static_cast<std::size_t>(n - 1)];
        if (row.enabled || n == exam) {
            day.push_back(asSitting(row));
        }
    }
    const PlanSitting sitting = asSitting(setting);
    for (const SittingCue& cue : planCuesFor(plan, sitting, day)) {
        out.push_back(ExtraCue{cue.name, cue.path, cue.minute - sittingStart(sitting)});
    }
    return out;
}

void PlanBinder::openPlanWindow() {
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return;
    }
    auto* window = new PlanWindow(&main_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window_ = window;
    windowBinder_ = new PlanWindowBinder(*window, *this, dialogs_, rows_, configPath_, programDir_,
                                         hooks_.prepareConfig, [this] {
                                             // The edited plan may be today's: the rows follow it
                                             // while idle.
                                             if (!(hooks_.runState && hooks_.runState())) {
                                                 loader_->loadToday();
                                             }
                                         });
    window->show();
}

PlanWindow* PlanBinder::planWindow() const {
    return static_cast<PlanWindow*>(window_.data());
}

}  // namespace exambell
