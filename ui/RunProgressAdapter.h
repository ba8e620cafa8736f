#pragma once
// The run's progress on the main window's controls: the marks column and row colours of the
// reminder list, the countdown label, the notice panel, the edit note and the late-start controls.

#include "runner/RunProgressView.h"
#include "ui/MainWindow.h"

namespace exambell {

class RunProgressAdapter : public RunProgressView {
  public:
    // The marks column: the sixth, after the design's five.
    static constexpr int kMarkColumn = 5;

    explicit RunProgressAdapter(MainWindow& window);

    void setReminderMark(int row, const Text& mark, RowState state) override;
    void setCountdown(const Text& text) override;
    void addNotice(const Text& text) override;
    void setEditNote(const Text& text) override;
    void setShiftChoices(const std::vector<ExamChoice>& choices) override;
    int shiftChoice() const override;
    std::optional<int> shiftMinutes() const override;

  private:
    MainWindow& window_;
};

}  // namespace exambell
