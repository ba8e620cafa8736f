#pragma once
// The printed and saved forms of an arrangement as plain values: for every room its seating
// chart (as a room's chart prints), its door list (门贴) and its sign-in sheet (签到表); the desk
// labels (桌贴); and the workbook. RoomOutput (ui/QtRoomOutput) lays the pages out.

#include <filesystem>
#include <vector>

#include "platform/Clock.h"
#include "rooms/RoomPlan.h"
#include "seating/ChartDocument.h"
#include "text/Text.h"

namespace exambell {

struct CandidateLine {
    Text examNumber;
    Text name;
    Text className;
    Text seat;      // the seat's number in its room, two digits at least: "07"
    Text position;  // where it is, as the chart labels it: "第2行第3列"
};

struct RoomPages {
    Text room;
    Text numberRange;  // "2026010101 - 2026010140", "" for an empty room
    ChartDocument chart;
    std::vector<CandidateLine> candidates;  // in seat order
};

struct ArrangementDocument {
    Text exam;  // as typed, "" when none
    Text date;  // "2026年1月2日"
    Text code;
    Text fingerprint;
    std::vector<RoomPages> rooms;  // the rooms with candidates, in order

    // The pages' title lines.
    Text doorHeading(const RoomPages& room) const;    // exam + room + "门贴"
    Text signInHeading(const RoomPages& room) const;  // exam + room + "签到表"
    Text roomDetails(const RoomPages& room) const;    // 考号, 人数, date
    Text footer() const;                              // code and fingerprint

    static ArrangementDocument of(const ArrangementRequest& request, const Arrangement& arrangement,
                                  const Text& code, const Text& fingerprint, const LocalTime& date);
};

// The seat grid of one room as a printed chart holds it: column labels in row 0 counted from the
// right, row labels in column 0, each taken seat "考号" and "姓名" on two lines, a seat out of
// use "停用", a seat left empty for spacing empty.
SeatTable roomGrid(const ArrangementRequest& request, const RoomResult& room);

// Writing the pages: the platform's part.
class RoomOutput {
  public:
    virtual ~RoomOutput() = default;
    // Every room's chart, door list and sign-in sheet in one PDF over path (GBK), written whole
    // or not at all (a file that was there stays as it was).
    virtual bool writeRoomsPdf(const ArrangementDocument& document, const Text& path) = 0;
    // The desk labels on A4 label sheets of columns x rows labels, the same way.
    virtual bool writeLabelsPdf(const ArrangementDocument& document, const Text& path, int columns,
                                int rows) = 0;
};

// The workbook: a sheet per room (考号, 姓名, 班级, 座号, 位置) and a first sheet "全部考生" of
// every candidate with class, room, seat and 考号. Written beside file under another name and
// renamed over it, so that a failure leaves a file that was there whole.
bool saveArrangementWorkbook(const std::filesystem::path& file,
                             const ArrangementDocument& document);

}  // namespace exambell
