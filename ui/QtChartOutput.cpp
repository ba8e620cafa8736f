#include "ui/QtChartOutput.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QWidget>
#include <algorithm>

#include "text/Encoding.h"
#include "ui/QtText.h"

namespace exambell {

namespace {

const Text kFront = utf8ToGbk("讲台");
// "第2页，共9页", after the footer of a chart of several pages.
const Text kPageGap = utf8ToGbk("　　第");
const Text kPageOf = utf8ToGbk("页，共");
const Text kPageEnd = utf8ToGbk("页");

// The size the font metrics are taken at; sizes scale from it.
constexpr qreal kReferenceSize = 100;

QFont chartFont(qreal pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun")});
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(bold);
    // Shaping gives the digits after a letter glyphs of their own that the PDF's text layer
    // cannot name ("S82" would read back as "S"): the codes and names must copy and search whole.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Fills rect with one line of text, shrinking the font until it fits.
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
    painter.drawText(rect, align | Qt::TextSingleLine, text);
}

// The largest size (up to most) at which every line of text fits box, each on a line of its own.
qreal ownSize(const QString& text, const QSizeF& box, qreal most, const QFontMetricsF& reference) {
    const QStringList lines = text.split(u'\n');
    qreal widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, reference.horizontalAdvance(line));
    }
    const qreal tall = reference.lineSpacing() * static_cast<qreal>(lines.size());
    qreal size = most;
    if (widest > 0) {
        size = std::min(size, box.width() / widest * kReferenceSize);
    }
    return std::max<qreal>(1, std::min(size, box.height() / tall * kReferenceSize));
}

// Splits count seats into blocks of at most most, as even as can be: (first, last), 1-based.
std::vector<std::pair<int, int>> spans(int count, int most) {
    std::vector<std::pair<int, int>> result;
    const int blocks = std::max(1, (count + most - 1) / most);
    int first = 1;
    for (int b = 0; b < blocks; ++b) {
        const int size = count / blocks + (b < count % blocks ? 1 : 0);
        result.emplace_back(first, first + size - 1);
        first += size;
    }
    return result;
}

}  // namespace

std::vector<QtChartOutput::Block> QtChartOutput::pages(const ChartDocument& document) {
    const int rows = std::max(document.table.rowCount() - 1, 0);
    const int columns = std::max(document.table.columnCount() - 1, 0);
    std::vector<Block> blocks;
    for (const auto& [firstRow, lastRow] : spans(rows, kRowsPerPage)) {
        for (const auto& [firstColumn, lastColumn] : spans(columns, kColumnsPerPage)) {
            blocks.push_back({firstRow, lastRow, firstColumn, lastColumn});
        }
    }
    return blocks;
}

void QtChartOutput::paint(QPainter& painter, const QRectF& page, const ChartDocument& document,
                          int index) {
    const std::vector<Block> blocks = pages(document);
    const Block block = blocks.at(static_cast<std::size_t>(index));
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
        if (block.firstRow == 1) {
            const QRectF front(page.center().x() - 25 * mm, y, 50 * mm, 8 * mm);
            painter.drawRect(front);
            drawLine(painter, front, toQString(kFront), 4.5 * mm, true, Qt::AlignCenter);
        }
        y += 10 * mm;
    }

    Text footerText = document.footer();
    if (blocks.size() > 1) {
        footerText += kPageGap + toText(index + 1) + kPageOf +
                      toText(static_cast<std::int64_t>(blocks.size())) + kPageEnd;
    }
    const qreal footerHeight = 6 * mm;
    const QRectF footer(page.left(), page.bottom() - footerHeight, page.width(), footerHeight);
    drawLine(painter, footer, toQString(footerText), 3.5 * mm, false,
             Qt::AlignLeft | Qt::AlignVCenter);

    // The block's rows and columns with the label row and column in front.
    const SeatTable& table = document.table;
    std::vector<int> rows = {0};
    for (int r = block.firstRow; r <= block.lastRow; ++r) {
        rows.push_back(r);
    }
    std::vector<int> columns = {0};
    for (int j = block.firstColumn; j <= block.lastColumn; ++j) {
        columns.push_back(j);
    }
    if (table.rowCount() > 0 && table.columnCount() > 0) {
        const auto rowCount = static_cast<qreal>(rows.size());
        const auto columnCount = static_cast<qreal>(columns.size());
        const QRectF area(page.left(), y, page.width(), footer.top() - 2 * mm - y);
        const qreal cellWidth = std::min(area.width() / columnCount, 45 * mm);
        const qreal cellHeight = std::min(area.height() / rowCount, 20 * mm);
        const qreal left = area.left() + (area.width() - cellWidth * columnCount) / 2;
        const qreal pad = std::min(cellWidth, cellHeight) * 0.08;
        const QSizeF box(cellWidth - 2 * pad, cellHeight - 2 * pad);
        painter.setPen(QPen(Qt::black, std::min(0.3 * mm, std::min(cellWidth, cellHeight) / 20)));

        // One size for all, the largest at which nine texts in ten fit; the others their own.
        const QFontMetricsF reference(chartFont(kReferenceSize), painter.device());
        const qreal most = std::min(cellHeight * 0.4, 6 * mm);
        std::vector<qreal> sizes;
        for (int r : rows) {
            for (int j : columns) {
                if (!table.cell(r, j).empty()) {
                    sizes.push_back(ownSize(toQString(table.cell(r, j)), box, most, reference));
                }
            }
        }
        std::sort(sizes.begin(), sizes.end());
        const qreal common = sizes.empty() ? most : sizes[sizes.size() / 10];

        const QBrush labelFill(QColor(0xE8, 0xE8, 0xE8));
        for (std::size_t a = 0; a < rows.size(); ++a) {
            for (std::size_t b = 0; b < columns.size(); ++b) {
                if (a == 0 && b == 0) {
                    continue;
                }
                const QRectF cell(left + static_cast<qreal>(b) * cellWidth,
                                  area.top() + static_cast<qreal>(a) * cellHeight, cellWidth,
                                  cellHeight);
                if (a == 0 || b == 0) {
                    painter.fillRect(cell, labelFill);
                }
                painter.drawRect(cell);
                const Text& text = table.cell(rows[a], columns[b]);
                if (!text.empty()) {
                    const QString shown = toQString(text);
                    painter.setFont(
                        chartFont(std::min(common, ownSize(shown, box, most, reference))));
                    painter.drawText(cell.adjusted(pad, pad, -pad, -pad), Qt::AlignCenter, shown);
                }
            }
        }
    }
    painter.restore();
}

QByteArray QtChartOutput::withSearchableText(QByteArray pdf) {
    // Only inside the ToUnicode maps (between "begincmap" and "endcmap"), one <XXXX> code for
    // another of the same length: no offset of the file moves.
    static const QRegularExpression radical(QStringLiteral("<(2F[0-9A-D][0-9A-F])>"));
    qsizetype at = 0;
    while ((at = pdf.indexOf("begincmap", at)) >= 0) {
        const qsizetype end = pdf.indexOf("endcmap", at);
        if (end < 0) {
            break;
        }
        const QString map = QString::fromLatin1(pdf.mid(at, end - at));
        for (auto match = radical.globalMatch(map); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            const char16_t code = static_cast<char16_t>(found.captured(1).toUInt(nullptr, 16));
            const QString ideograph =
                QString(QChar(code)).normalized(QString::NormalizationForm_KC);
            if (ideograph.size() == 1 && ideograph.at(0).unicode() != code) {
                const QByteArray hex = QByteArray::number(ideograph.at(0).unicode(), 16)
                                           .toUpper()
                                           .rightJustified(4, '0');
                pdf.replace(at + found.capturedStart(1), 4, hex);
            }
        }
        at = end;
    }
    return pdf;
}

bool QtChartOutput::writePdf(const ChartDocument& document, const Text& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        writer.setResolution(300);
        writer.setTitle(toQString(document.heading));
        writer.setCreator(QStringLiteral("ExamBell"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return false;
        }
        const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
        const auto count = static_cast<int>(pages(document).size());
        for (int index = 0; index < count; ++index) {
            if (index > 0) {
                writer.newPage();
            }
            paint(painter, QRectF(QPointF(0, 0), QSizeF(area.size())), document, index);
        }
        painter.end();
    }
    QSaveFile file(toQString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray pdf = withSearchableText(buffer.data());
    if (file.write(pdf) != pdf.size()) {
        file.cancelWriting();
        return false;
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
    const auto count = static_cast<int>(pages(document).size());
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !printer.newPage()) {
            painter.end();
            return PrintResult::Failed;
        }
        paint(painter, QRectF(QPointF(0, 0), QSizeF(area.size())), document, index);
    }
    return painter.end() ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace exambell
