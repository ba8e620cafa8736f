#pragma once
// The parts of the main window a run changes: the run button (its checked state is the run
// state), the window's width, the reminder list and the clock label. ui/ implements it over the
// real controls; nothing is kept here.

#include <vector>

#include "platform/Dialogs.h"
#include "runner/CueSchedule.h"
#include "text/Text.h"

namespace exambell {

class RunView {
  public:
    virtual ~RunView() = default;

    // 开始运行按钮: a click flips its checked state before the run's handler sees it.
    virtual bool runChecked() const = 0;
    virtual void setRunChecked(bool checked) = 0;
    virtual void setRunEnabled(bool enabled) = 0;
    virtual void setRunTooltip(const Text& tooltip) = 0;
    // The button's left edge in pixels, and where it rests while idle and while running.
    virtual int runButtonLeft() const = 0;
    virtual void setRunButtonLeft(int left) = 0;
    virtual int runButtonRestingLeft(bool running) const = 0;

    // Wide while running, so that the reminder list shows; narrow while idle, except while a
    // notice of cues that did not play stands (it lies over the list).
    virtual void setWide(bool wide) = 0;

    // 超级列表框1, one row per pending or played cue.
    virtual void clearReminders() = 0;
    virtual void addReminder(const ReminderRow& row) = 0;
    virtual std::vector<ReminderRow> reminders() const = 0;

    // 当前时间标签.
    virtual void setClockCaption(const Text& caption) = 0;
    virtual void setClockVisible(bool visible) = 0;

    // The window that owns the run's messages.
    virtual const DialogOwner* dialogOwner() const = 0;
};

}  // namespace exambell
