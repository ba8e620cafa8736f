#pragma once
// What the arrangement operations see of their window (考场编排). Fields are read as plain
// records when used; ui/ArrangementWindowAdapter implements it, tests use a plain fake.

#include <optional>
#include <vector>

#include "platform/Dialogs.h"
#include "rooms/ArrangementSettings.h"
#include "seating/SeatTable.h"
#include "text/Text.h"

namespace exambell {

struct ArrangementFields {
    // 导入年级班级: the class name, separator ("换行" for a line break) and roster as typed.
    Text className{};
    Text separator{};
    Text roster{};
    int chosenClass = 0;  // 年级班级列表: the chosen entry's value (1-based class), 0 for none
    // 批量生成考场: count, rows, columns and spacing of the rooms to list.
    Text batchCount{};
    Text batchRows{};
    Text batchColumns{};
    Spacing batchSpacing = Spacing::None;
    // The arrangement: rooms box (one room a line, CR LF between), order, mixing, numbers.
    Text rooms{};
    CandidateOrder order = CandidateOrder::Random;
    bool mixed = true;
    Text prefix{};
    Text roomDigits{};
    Text seatDigits{};
    Text exam{};
    Text typedCode{};
    // The first character that GBK cannot hold in the class name or roster (importLost), and
    // in the rooms, prefix or exam (arrangeLost): the GBK texts above carry it as "?".
    std::optional<char32_t> importLost{};
    std::optional<char32_t> arrangeLost{};
};

class ArrangementView {
  public:
    virtual ~ArrangementView() = default;
    virtual ArrangementFields fields() const = 0;

    virtual void setClassName(const Text& name) = 0;
    virtual void setRoster(const Text& roster) = 0;
    // The class list: one entry per stored class ("高一1班（50人）"), values 1.., none chosen.
    virtual void setClassEntries(const std::vector<Text>& entries) = 0;
    virtual void setRooms(const Text& rooms) = 0;
    // The arrangement's fields as stored (order, mixing, prefix, digits, exam, rooms).
    virtual void showSettings(const ArrangementSettings& settings) = 0;
    // The table of rooms of the arrangement shown, with its heading row.
    virtual void showSummary(const SeatTable& summary) = 0;
    virtual void setDrawInfo(const Text& code, const Text& fingerprint, const Text& note) = 0;
    virtual void setOutputsEnabled(bool enabled) = 0;
    virtual const DialogOwner* owner() const = 0;
};

}  // namespace exambell
