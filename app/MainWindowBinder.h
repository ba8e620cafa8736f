#pragma once
// What each control of the main window does: every signal of the window is connected here and
// nowhere else. The operations live below ui/ (settings/, schedule/, runner/) or in Application;
// the binder only routes.

#include <QObject>

namespace exambell {

class Application;
class CueAudio;
class ExamFieldChecks;
class MainWindow;
class RunController;
class VoiceDownloadButton;

class MainWindowBinder : public QObject {
  public:
    // Connects every control of the window; destroying the binder disconnects them all. The
    // window and the operations must outlive it.
    MainWindowBinder(MainWindow& window, Application& app, RunController& run, CueAudio& cueAudio,
                     ExamFieldChecks& examFields, VoiceDownloadButton& download);

    // The parts, also for tests that build one operation on a window of its own; `context` ends
    // the connections when it goes.
    static void bindCueRows(MainWindow& window, CueAudio& cueAudio, QObject& context);
    static void bindExamFields(MainWindow& window, ExamFieldChecks& checks, QObject& context);
    static void bindRunButton(MainWindow& window, RunController& run, QObject& context);
    static void bindDownloadButton(MainWindow& window, VoiceDownloadButton& download,
                                   QObject& context);
};

}  // namespace exambell
