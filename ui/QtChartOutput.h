#pragma once
// The printed seating chart on paper and in PDF: A4 landscape pages drawn with QPainter, the
// same for QPdfWriter and for the printer chosen in QPrintDialog. A chart too large to read on
// one page is split into blocks of rows and columns, one block a page, each page with the labels
// of its rows and columns.

#include <QByteArray>
#include <QFont>
#include <QRectF>
#include <vector>

#include "seating/ChartDocument.h"

class QPainter;

namespace exambell {

class QtChartOutput : public ChartOutput {
  public:
    bool writePdf(const ChartDocument& document, const Text& path) override;
    PrintResult print(const ChartDocument& document, const DialogOwner* owner) override;

    // The most seat rows and seat columns one page shows.
    static constexpr int kRowsPerPage = 12;
    static constexpr int kColumnsPerPage = 12;

    // One page's part of the grid: seat rows firstRow..lastRow and seat columns
    // firstColumn..lastColumn (1-based, inclusive; as in the document's table).
    struct Block {
        int firstRow;
        int lastRow;
        int firstColumn;
        int lastColumn;
    };
    // The pages of a document, row blocks from the front, each from the left; blocks of one
    // direction differ in size by one at most.
    static std::vector<Block> pages(const ChartDocument& document);

    // Lays page number index (0-based) of document out over page (in the painter's device
    // pixels): the title block at the top, the front of the room (讲台) above the first seat row,
    // the block's grid with the labels of its rows and columns and borders fitted into what is
    // left, and the footer with the draw code (and the page number when there are several) at
    // the bottom. Every line of a cell is drawn whole on one line; the texts share one size, and
    // the few that would not fit it get a smaller one of their own.
    static void paint(QPainter& painter, const QRectF& page, const ChartDocument& document,
                      int index = 0);

    // The PDF with the text layer's radicals, Kangxi (U+2F00..U+2FD5) and CJK Radicals
    // Supplement (U+2E80..U+2EF3), taken back to the ideographs they stand for: the CJK fonts
    // draw both with one glyph, and the PDF writer names a glyph by its lowest code point, so
    // "行" would read back as "⾏" and "门" as "⻔". The arrangement's PDFs use it too.
    static QByteArray withSearchableText(QByteArray pdf);

    // The printed pages' font at pixelSize: a CJK face first and no shaping, since shaping gives
    // the digits after a letter glyphs the PDF's text layer cannot name ("S82" would read back as
    // "S") and the codes and names must copy and search whole.
    static QFont chartFont(qreal pixelSize, bool bold = false);
    // Fills rect with one line of text, shrinking the font until it fits the width.
    static void drawLine(QPainter& painter, const QRectF& rect, const QString& text,
                         qreal pixelSize, bool bold, int align);
};

}  // namespace exambell
