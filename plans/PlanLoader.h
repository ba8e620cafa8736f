#pragma once
// Loads the active plan's sittings of today into the main window's four exam rows: at start-up,
// and whenever the date has changed while no run is active (at midnight, or once a run over
// midnight has ended). A notice names the plan and the day; a day without sittings leaves the
// rows as they are and says so. With the plan's 到点自动开始 the owner is asked to start the run.
//
// A save from the main window writes the rows back into the day they were loaded for.

#include <functional>

#include "plans/PlanStore.h"
#include "platform/Clock.h"
#include "settings/SettingsForm.h"

namespace exambell {

struct PlanLoaderHooks {
    // Whether a run is active (or starting): its rows are not replaced.
    std::function<bool()> runActive;
    // Shows a notice on the main window (not a modal box: nobody may be there at midnight).
    std::function<void(const Text& notice)> notice;
    // The plan wants the run started now that its day is loaded.
    std::function<void()> autoStart;
    // The rows changed (their visibility follows the check boxes).
    std::function<void()> rowsLoaded;
};

class PlanLoader {
  public:
    // How often the date is looked at besides midnight: a clock set forward is noticed soon.
    static constexpr std::int64_t kWatchMilliseconds = 60'000;

    // rows, clock and the hooks' targets must outlive the loader.
    PlanLoader(SettingsForm& rows, Clock& clock, Text configPath, PlanLoaderHooks hooks);
    ~PlanLoader();
    PlanLoader(const PlanLoader&) = delete;
    PlanLoader& operator=(const PlanLoader&) = delete;

    // Loads today's sittings now (unless a run is active) and watches the date from then on.
    void loadToday();
    // The date watch, also the handler of its timer.
    void checkDate();

    // The day the rows were last filled for ("" when none was) and its plan's number.
    const Text& loadedDate() const { return loadedDate_; }
    int loadedPlan() const { return loadedPlan_; }
    // The date the loader last looked at.
    const Text& watchedDate() const { return watchedDate_; }

    // A save from the main window: the enabled rows become the sittings of the day they were
    // loaded for (with the cue switches as they stand). "" when written or when no day was
    // loaded; else the problem (an overlap, a row that fails its check, a refused write).
    Text writeBack();

    // The notices, for tests and for the plan window.
    static Text loadedNotice(const Text& plan, const Text& date, std::size_t sittings);
    static Text emptyDayNotice(const Text& plan, const Text& date);

  private:
    void load(const Text& date);
    void arm();

    SettingsForm& rows_;
    Clock& clock_;
    PlanStore store_;
    PlanLoaderHooks hooks_;
    Clock::TimerId timer_ = 0;
    bool armed_ = false;
    Text watchedDate_;
    Text loadedDate_;
    int loadedPlan_ = 0;
};

// The date of a local time, "YYYY-MM-DD".
Text dateOf(const LocalTime& t);

}  // namespace exambell
