#pragma once
// The printed seating chart on paper and in PDF: one A4 landscape page drawn with QPainter, the
// same for QPdfWriter and for the printer chosen in QPrintDialog.

#include <QRectF>

#include "seating/ChartDocument.h"

class QPainter;

namespace exambell {

class QtChartOutput : public ChartOutput {
  public:
    bool writePdf(const ChartDocument& document, const Text& path) override;
    PrintResult print(const ChartDocument& document, const DialogOwner* owner) override;

    // Lays document out over page (in the painter's device pixels): the title block at the top,
    // the front of the room (讲台) above the first seat row, the grid with borders fitted into
    // what is left, every text at a size where it fits its cell whole (long names wrap), and
    // the footer with the draw code at the bottom.
    static void paint(QPainter& painter, const QRectF& page, const ChartDocument& document);
};

}  // namespace exambell
