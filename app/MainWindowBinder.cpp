#include "app/MainWindowBinder.h"

#include "app/Application.h"
#include "app/PlanBinder.h"
#include "app/VoiceDownloadButton.h"
#include "runner/RunController.h"
#include "schedule/CueAudio.h"
#include "schedule/ExamFieldChecks.h"
#include "ui/MainWindow.h"

namespace exambell {

MainWindowBinder::MainWindowBinder(MainWindow& w, Application& app, RunController& run,
                                   CueAudio& cueAudio, ExamFieldChecks& examFields,
                                   VoiceDownloadButton& download) {
    // 科目N: the row's start, duration and end show only while it is checked.
    for (int n = 1; n <= kExamCount; ++n) {
        connect(w.examEnabled[n], &CheckBox::clicked, this,
                [&app, n] { app.applyExamVisibility(n); });
    }
    bindExamFields(w, examFields, *this);
    bindCueRows(w, cueAudio, *this);
    // 保存设置按钮, 导出设置按钮 (opens the import window), 座位表生成按钮.
    connect(w.saveButton, &Button::clicked, this, [&app] { app.saveWithPause(); });
    connect(w.importButton, &Button::clicked, this, [&app] { app.openImportWindow(); });
    connect(w.seatingButton, &Button::clicked, this, [&app] { app.openSeatingWindow(); });
    // 考试安排按钮.
    connect(w.planButton, &Button::clicked, this, [&app] { app.planBinder().openPlanWindow(); });
    bindDownloadButton(w, download, *this);
    bindRunButton(w, run, *this);
    // 打赏作者.
    connect(w.tipAuthor, &CheckBox::clicked, this, [&app] { app.showTipPicture(); });
}

void MainWindowBinder::bindCueRows(MainWindow& w, CueAudio& cueAudio, QObject& context) {
    for (int n = 1; n <= kCueCount; ++n) {
        connect(w.cueChoose[n], &Button::clicked, &context,
                [&cueAudio, n] { cueAudio.chooseCueFile(n); });
        connect(w.cueTest[n], &Button::clicked, &context, [&cueAudio, n] { cueAudio.playCue(n); });
    }
    connect(w.stopButton, &Button::clicked, &context, [&cueAudio] { cueAudio.stopAllAudio(); });
}

void MainWindowBinder::bindExamFields(MainWindow& w, ExamFieldChecks& checks, QObject& context) {
    // Each box is checked when it loses the keyboard focus.
    for (int n = 1; n <= kExamCount; ++n) {
        connect(w.examStart[n], &EditBox::focusLost, &context,
                [&checks, n] { checks.normaliseStartTime(n); });
        connect(w.examDuration[n], &EditBox::focusLost, &context,
                [&checks, n] { checks.normaliseDuration(n); });
        connect(w.examSubject[n], &EditBox::focusLost, &context,
                [&checks, n] { checks.checkSubject(n); });
    }
}

void MainWindowBinder::bindRunButton(MainWindow& w, RunController& run, QObject& context) {
    // The click has flipped the button's checked state already: toggleRun reads it.
    connect(w.runButton, &ImageButton::clicked, &context, [&run] { run.toggleRun(); });
    // 平移按钮: a late start moves the exam chosen beside it.
    connect(w.shiftButton, &Button::clicked, &context, [&run] { run.shiftChosenExam(); });
    // 知道了 on the notice of cues that did not play.
    connect(w.missNotice, &NoticePanel::dismissed, &context, [&run] { run.noticeDismissed(); });
}

void MainWindowBinder::bindDownloadButton(MainWindow& w, VoiceDownloadButton& download,
                                          QObject& context) {
    connect(w.downloadButton, &Button::clicked, &context, [&download] { download.download(); });
}

}  // namespace exambell
