#pragma once
// The arrangement's pages in PDF, drawn with QPainter: for every room its chart (A4 landscape,
// drawn by QtChartOutput, a large room's over several pages), its door list and its sign-in sheet
// (A4 portrait, the sheet running on over as many pages as its rows need); and the desk labels on
// A4 label sheets.

#include <QRectF>

#include "rooms/RoomDocuments.h"
#include "text/Encoding.h"

class QPainter;

namespace exambell {

class QtRoomOutput : public RoomOutput {
  public:
    // pass runs between two pages: seventy rooms take a second or two to lay out, and the
    // window's clock must keep ticking meanwhile.
    explicit QtRoomOutput(EventPass pass = {}) : pass_(std::move(pass)) {}

    bool writeRoomsPdf(const ArrangementDocument& document, const Text& path) override;
    bool writeLabelsPdf(const ArrangementDocument& document, const Text& path, int columns,
                        int rows) override;

    // The door list of room over page (device pixels).
    static void paintDoorList(QPainter& painter, const QRectF& page,
                              const ArrangementDocument& document, const RoomPages& room);
    // Rows from..from + count of room's sign-in sheet over page.
    static void paintSignIn(QPainter& painter, const QRectF& page,
                            const ArrangementDocument& document, const RoomPages& room, int from,
                            int count, int sheet, int sheets);
    // One desk label in box.
    static void paintLabel(QPainter& painter, const QRectF& box,
                           const ArrangementDocument& document, const RoomPages& room,
                           const CandidateLine& candidate);
    // Sign-in rows that fit one portrait page.
    static constexpr int kSignInRowsPerPage = 30;

  private:
    EventPass pass_;
};

}  // namespace exambell
