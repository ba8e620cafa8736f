#pragma once
// The main window as the logic below ui/ sees it: the exam and cue rows as records
// (SettingsForm) and the parts a run changes (RunView). Every call reads or writes the controls;
// the adapter keeps no copy.

#include "runner/RunView.h"
#include "settings/SettingsForm.h"

namespace exambell {

class MainWindow;

class MainWindowAdapter final : public SettingsForm, public RunView {
  public:
    // The window must outlive the adapter.
    explicit MainWindowAdapter(MainWindow& window) : window_(window) {}

    // SettingsForm
    ExamSettings exams() const override;
    CueSettings cues() const override;
    void setExams(const ExamSettings& exams) override;
    void setCues(const CueSettings& cues) override;
    void setExamEnd(int exam, const Text& caption) override;
    void focusExamField(int exam, ExamField field) override;
    void focusCuePath(int cue) override;

    // RunView
    bool runChecked() const override;
    void setRunChecked(bool checked) override;
    void setRunEnabled(bool enabled) override;
    void setRunTooltip(const Text& tooltip) override;
    int runButtonLeft() const override;
    void setRunButtonLeft(int left) override;
    int runButtonRestingLeft(bool running) const override;
    void setWide(bool wide) override;
    void clearReminders() override;
    void addReminder(const ReminderRow& row) override;
    std::vector<ReminderRow> reminders() const override;
    void setClockCaption(const Text& caption) override;
    void setClockVisible(bool visible) override;

    // Both: the main window.
    const DialogOwner* dialogOwner() const override;

  private:
    MainWindow& window_;
};

}  // namespace exambell
