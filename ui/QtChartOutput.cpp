#include "ui/QtChartOutput.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QSet>
#include <QWidget>
#include <algorithm>

#include "text/Encoding.h"
#include "ui/QtText.h"

namespace exambell {

namespace {

const Text kFront = utf8ToGbk("讲台");

// Word wrap breaks between Chinese characters but keeps a number or a Latin word whole; a text
// that cannot break makes the font smaller instead.
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap;

QFont chartFont(qreal pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun")});
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(bold);
    return font;
}

// Whether every text fits whole, wrapped where needed, into a box of size at pixelSize.
bool fitsAll(const QSet<QString>& texts, const QSizeF& box, qreal pixelSize, QPaintDevice* device) {
    const QFontMetricsF metrics(chartFont(pixelSize), device);
    for (const QString& text : texts) {
        const QRectF needed = metrics.boundingRect(QRectF(QPointF(0, 0), box), kTextFlags, text);
        if (needed.width() > box.width() + 0.01 || needed.height() > box.height() + 0.01) {
            return false;
        }
    }
    return true;
}

// The largest pixel size up to most at which every text fits its box (at least one pixel).
qreal fittingSize(const QSet<QString>& texts, const QSizeF& box, qreal most, QPaintDevice* device) {
    qreal low = 1;
    qreal high = std::max(most, 1.0);
    if (fitsAll(texts, box, high, device)) {
        return high;
    }
    for (int step = 0; step < 14; ++step) {
        const qreal middle = (low + high) / 2;
        (fitsAll(texts, box, middle, device) ? low : high) = middle;
    }
    return low;
}

// Fills rect with text, each line at most the rect wide, shrinking the font until it fits.
void drawLine(QPainter& painter, const QRectF& rect, const QString& text, qreal pixelSize,
              bool bold, int align) {
    qreal size = pixelSize;
    QFont font = chartFont(size, bold);
    while (size > 1 &&
           QFontMetricsF(font, painter.device()).horizontalAdvance(text) > rect.width()) {
        size *= 0.9;
        font = chartFont(size, bold);
    }
    painter.setFont(font);
    painter.drawText(rect, align | Qt::TextWordWrap, text);
}

}  // namespace

void QtChartOutput::paint(QPainter& painter, const QRectF& page, const ChartDocument& document) {
    const qreal mm = painter.device()->logicalDpiY() / 25.4;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0.3 * mm));

    qreal y = page.top();
    drawLine(painter, QRectF(page.left(), y, page.width(), 10 * mm), toQString(document.heading),
             7 * mm, true, Qt::AlignHCenter | Qt::AlignVCenter);
    y += 10 * mm;
    drawLine(painter, QRectF(page.left(), y, page.width(), 6 * mm), toQString(document.details()),
             4 * mm, false, Qt::AlignHCenter | Qt::AlignVCenter);
    y += 8 * mm;

    // Seat row 1 is the first grid row and the column labels count from the right: the chart is
    // drawn as the room is seen from its front, so the front lies above the first row.
    if (document.roomFront) {
        const QRectF front(page.center().x() - 25 * mm, y, 50 * mm, 8 * mm);
        painter.drawRect(front);
        drawLine(painter, front, toQString(kFront), 4.5 * mm, true, Qt::AlignCenter);
        y += 10 * mm;
    }

    const qreal footerHeight = 6 * mm;
    const QRectF footer(page.left(), page.bottom() - footerHeight, page.width(), footerHeight);
    drawLine(painter, footer, toQString(document.footer()), 3.5 * mm, false,
             Qt::AlignLeft | Qt::AlignVCenter);

    const SeatTable& table = document.table;
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    if (rows > 0 && columns > 0) {
        const QRectF area(page.left(), y, page.width(), footer.top() - 2 * mm - y);
        const qreal cellWidth = std::min(area.width() / columns, 45 * mm);
        const qreal cellHeight = std::min(area.height() / rows, 20 * mm);
        const qreal left = area.left() + (area.width() - cellWidth * columns) / 2;
        const qreal pad = std::min(cellWidth, cellHeight) * 0.08;
        const QSizeF box(cellWidth - 2 * pad, cellHeight - 2 * pad);
        painter.setPen(QPen(Qt::black, std::min(0.3 * mm, std::min(cellWidth, cellHeight) / 20)));

        QSet<QString> texts;
        for (int r = 0; r < rows; ++r) {
            for (int j = 0; j < columns; ++j) {
                if (!table.cell(r, j).empty()) {
                    texts.insert(toQString(table.cell(r, j)));
                }
            }
        }
        const qreal size =
            fittingSize(texts, box, std::min(cellHeight * 0.4, 6 * mm), painter.device());
        painter.setFont(chartFont(size));
        const QBrush labelFill(QColor(0xE8, 0xE8, 0xE8));
        for (int r = 0; r < rows; ++r) {
            for (int j = 0; j < columns; ++j) {
                if (r == 0 && j == 0) {
                    continue;
                }
                const QRectF cell(left + j * cellWidth, area.top() + r * cellHeight, cellWidth,
                                  cellHeight);
                if (r == 0 || j == 0) {
                    painter.fillRect(cell, labelFill);
                }
                painter.drawRect(cell);
                const Text& text = table.cell(r, j);
                if (!text.empty()) {
                    painter.drawText(cell.adjusted(pad, pad, -pad, -pad), kTextFlags,
                                     toQString(text));
                }
            }
        }
    }
    painter.restore();
}

bool QtChartOutput::writePdf(const ChartDocument& document, const Text& path) {
    QSaveFile file(toQString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        writer.setResolution(300);
        writer.setTitle(toQString(document.heading));
        writer.setCreator(QStringLiteral("ExamBell"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return false;
        }
        const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
        paint(painter, QRectF(QPointF(0, 0), QSizeF(area.size())), document);
        painter.end();
    }
    return file.commit();
}

ChartOutput::PrintResult QtChartOutput::print(const ChartDocument& document,
                                              const DialogOwner* owner) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    printer.setDocName(toQString(document.heading));
    QPrintDialog dialog(&printer, const_cast<QWidget*>(dynamic_cast<const QWidget*>(owner)));
    if (dialog.exec() != QDialog::Accepted) {
        return PrintResult::Cancelled;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return PrintResult::Failed;
    }
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    paint(painter, QRectF(QPointF(0, 0), QSizeF(area.size())), document);
    return painter.end() ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace exambell
