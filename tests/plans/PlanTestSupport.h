#pragma once
// What the plan tests share: the main window's rows as records, and plans written briefly.

#include <string>

#include "plans/ExamPlan.h"
#include "settings/SettingsForm.h"
#include "text/Encoding.h"

namespace exambell::test {

// The exam and cue rows without a window.
struct RecordedRows : SettingsForm {
    ExamSettings examRows{};
    CueSettings cueRows{};
    ExamSettings exams() const override { return examRows; }
    CueSettings cues() const override { return cueRows; }
    void setExams(const ExamSettings& e) override { examRows = e; }
    void setCues(const CueSettings& c) override { cueRows = c; }
    void setExamEnd(int, const Text&) override {}
    void focusExamField(int, ExamField) override {}
    void focusCuePath(int) override {}
    const DialogOwner* dialogOwner() const override { return nullptr; }
};

inline Text g(const std::string& utf8) {
    return utf8ToGbk(utf8);
}
inline std::string u(const Text& gbk) {
    return gbkToUtf8(gbk);
}

// A sitting with cues 4, 5 and 6 on (开考, 结束前15分钟, 结束).
inline PlanSitting sitting(const std::string& date, const std::string& subject,
                           const std::string& start, int duration) {
    PlanSitting s;
    s.date = date;
    s.subject = g(subject);
    s.start = start;
    s.duration = duration;
    s.cues[3] = s.cues[4] = s.cues[5] = true;
    return s;
}

// 期中考试: three days, 2026-01-12 .. 2026-01-14, two to three sittings a day.
inline ExamPlan threeDayPlan() {
    ExamPlan plan;
    plan.name = g("期中考试");
    plan.sittings = {
        sitting("2026-01-12", "语文", "08:00", 150), sitting("2026-01-12", "物理", "10:50", 90),
        sitting("2026-01-12", "数学", "14:30", 120), sitting("2026-01-13", "英语", "08:00", 120),
        sitting("2026-01-13", "化学", "14:30", 90),  sitting("2026-01-14", "生物", "09:00", 90),
        sitting("2026-01-14", "历史", "14:00", 90),
    };
    sortSittings(plan.sittings);
    return plan;
}

}  // namespace exambell::test
