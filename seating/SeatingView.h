#pragma once
// What the seating operations see of their window. The fields are read as plain records at the
// moment of use and never kept: the window's controls stay the only store of what the operator
// typed. ui/SeatingWindowAdapter implements it over the real window; tests use a plain fake.

#include <optional>
#include <vector>

#include "platform/Dialogs.h"
#include "seating/ClassStore.h"
#include "seating/SeatTable.h"
#include "text/Text.h"

namespace exambell {

// How the seats get exam numbers (考号): none, along the rows, or serpentine (every second row
// back from the right).
enum class ExamNumbering { None, Rows, Serpentine };

// The group 操作班级 as typed (texts exactly as the controls hold them, GBK).
struct ChartFields {
    Text classText{};    // 班级组合框: the chosen entry's text, "" when none is chosen
    int classValue = 0;  // the chosen entry's value, 0 when none is chosen
    Text count{};        // 人数编辑
    Text rows{};         // 横排编辑
    Text columns{};      // 竖列编辑
    Text typedCode{};    // 抽签码编辑: a code typed to draw a chart again
    // The printed chart's title texts as the operator typed them.
    Text room{};  // 考场编辑框
    Text exam{};  // 考试编辑框
    // The code and roster fingerprint of the chart the grid shows ("" before the first draw).
    Text shownCode{};
    Text shownFingerprint{};
    // Several stored classes for one room, names separated by "," or "，" ("" for one class).
    Text mixedClasses{};                            // 混排班级编辑框
    Text numberPrefix{};                            // 考号前缀编辑框
    ExamNumbering numbering = ExamNumbering::None;  // 考号顺序列表
};

// The group 导入班级 as typed.
struct ImportFields {
    Text className{};  // 班级编辑框
    Text separator{};  // 分割符列表 (the typed or chosen text, e.g. "换行")
    Text roster{};     // 人员编辑框
    // The first character of the class name or the roster, as typed, that GBK cannot hold: the
    // texts above would carry it as "?".
    std::optional<char32_t> lostCharacter{};
};

class SeatingView {
  public:
    virtual ~SeatingView() = default;

    virtual ChartFields chartFields() const = 0;
    virtual ImportFields importFields() const = 0;

    virtual void setCount(const Text& count) = 0;
    virtual void setClassName(const Text& className) = 0;
    virtual void setRoster(const Text& roster) = 0;
    // Empties the class box (no entry chosen) and fills it with entries.
    virtual void setClassEntries(const std::vector<ClassEntry>& entries) = 0;

    // The seat grid: its size alone (cells beyond it are dropped, new ones empty), a whole new
    // table (the grid reset first), and its cells as they are now.
    virtual void setGridRowCount(int rows) = 0;
    virtual void setGridColumnCount(int columns) = 0;
    virtual void showTable(const SeatTable& table) = 0;
    virtual SeatTable table() const = 0;

    // Shows the code and the roster fingerprint of the chart just drawn, and puts the code into
    // the code box, ready to draw the same chart again.
    virtual void setDrawInfo(const Text& code, const Text& fingerprint) = 0;

    virtual void setExportEnabled(bool enabled) = 0;
    // The window that owns the operations' message boxes.
    virtual const DialogOwner* owner() const = 0;
};

}  // namespace exambell
