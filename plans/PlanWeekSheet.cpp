#include "plans/PlanWeekSheet.h"

#include <algorithm>

namespace exambell {
namespace {

const Text kHeadingEnd = utf8ToGbk(" 考试安排");
const Text kSubject = utf8ToGbk("科目");
const Text kTime = utf8ToGbk("时间");
const Text kTo = utf8ToGbk(" 至 ");
const Text kSittings = utf8ToGbk(" 场考试");
const Text kCount = utf8ToGbk("　　共 ");
const Text kFooter =
    utf8ToGbk("考铃 ExamBell 打印；时间为各提醒的播放时刻，迟开考平移后以运行列表为准");
const Text kMonth = utf8ToGbk("月");
const Text kDay = utf8ToGbk("日");
// The main window's cues and their moments from the start (before it) or the end (after it).
struct WindowCue {
    int cue;
    bool fromEnd;
    int minutes;
};
constexpr std::array<WindowCue, 6> kWindowCues = {
    {{1, false, -15}, {2, false, -8}, {3, false, -5}, {4, false, 0}, {5, true, -15}, {6, true, 0}}};

}  // namespace

ChartDocument weekSheet(const ExamPlan& plan) {
    ChartDocument document;
    document.heading = plan.name + kHeadingEnd;
    document.roomFront = false;
    const std::vector<Text> dates = planDates(plan);
    if (!dates.empty()) {
        document.detailsLine = dates.front() + (dates.size() > 1 ? kTo + dates.back() : Text()) +
                               kCount + toText(static_cast<std::int64_t>(plan.sittings.size())) +
                               kSittings;
    }
    document.footerLine = kFooter;

    std::vector<int> windowColumns;
    for (const WindowCue& w : kWindowCues) {
        const bool on = std::any_of(plan.sittings.begin(), plan.sittings.end(),
                                    [&w](const PlanSitting& s) { return s.cues[w.cue - 1]; });
        if (on) {
            windowColumns.push_back(w.cue);
        }
    }
    std::vector<Text> planColumns;
    for (const PlanCue& cue : plan.cues) {
        if (std::find(planColumns.begin(), planColumns.end(), cue.name) == planColumns.end()) {
            planColumns.push_back(cue.name);
        }
    }
    const int columns = 3 + static_cast<int>(windowColumns.size() + planColumns.size());
    SeatTable table(static_cast<int>(plan.sittings.size()) + 1, columns);
    table.setCell(0, 1, kSubject);
    table.setCell(0, 2, kTime);
    int c = 3;
    for (int cue : windowColumns) {
        table.setCell(0, c++, cueCaption(cue));
    }
    for (const Text& name : planColumns) {
        table.setCell(0, c++, name);
    }

    int r = 1;
    for (const PlanSitting& s : plan.sittings) {
        if (const auto d = parseDate(s.date)) {
            table.setCell(
                r, 0, toText(d->month) + kMonth + toText(d->day) + kDay + "\n" + weekdayName(*d));
        }
        table.setCell(r, 1, s.subject);
        table.setCell(r, 2, s.start + "-" + clockText(sittingEnd(s)));
        c = 3;
        for (int cue : windowColumns) {
            const WindowCue& w = kWindowCues[static_cast<std::size_t>(cue - 1)];
            if (s.cues[static_cast<std::size_t>(cue - 1)]) {
                table.setCell(r, c,
                              clockText((w.fromEnd ? sittingEnd(s) : sittingStart(s)) + w.minutes));
            }
            ++c;
        }
        const std::vector<SittingCue> own = planCuesFor(plan, s, sittingsOn(plan, s.date));
        for (const Text& name : planColumns) {
            for (const SittingCue& cue : own) {
                if (cue.name == name) {
                    table.setCell(r, c, clockText(cue.minute));
                }
            }
            ++c;
        }
        ++r;
    }
    document.table = std::move(table);
    return document;
}

}  // namespace exambell
