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
#include <iterator>
#include <utility>

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

// The CJK Radicals Supplement characters with the unified ideograph each stands for, from the
// Unicode Character Database's EquivalentUnifiedIdeograph.txt (Unicode 15.0, Debian's
// unicode-data). Left out: the radicals whose ideograph lies beyond the BMP (U+2E87 ⺇ and 13
// more), which no GBK text holds and whose code would not fit the map's four hex digits.
constexpr std::pair<char16_t, char16_t> kSupplementRadicals[] = {
    {0x2E81, 0x5382}, {0x2E82, 0x4E5B}, {0x2E83, 0x4E5A}, {0x2E84, 0x4E59}, {0x2E85, 0x4EBB},
    {0x2E86, 0x5182}, {0x2E88, 0x5200}, {0x2E89, 0x5202}, {0x2E8A, 0x535C}, {0x2E8B, 0x353E},
    {0x2E8C, 0x5C0F}, {0x2E8D, 0x5C0F}, {0x2E8E, 0x5140}, {0x2E8F, 0x5C23}, {0x2E90, 0x5C22},
    {0x2E92, 0x5DF3}, {0x2E93, 0x5E7A}, {0x2E94, 0x5F51}, {0x2E96, 0x5FC4}, {0x2E97, 0x5FC3},
    {0x2E98, 0x624C}, {0x2E99, 0x6535}, {0x2E9B, 0x65E1}, {0x2E9C, 0x65E5}, {0x2E9D, 0x6708},
    {0x2E9E, 0x6B7A}, {0x2E9F, 0x6BCD}, {0x2EA0, 0x6C11}, {0x2EA1, 0x6C35}, {0x2EA2, 0x6C3A},
    {0x2EA3, 0x706C}, {0x2EA4, 0x722B}, {0x2EA5, 0x722B}, {0x2EA6, 0x4E2C}, {0x2EA7, 0x725B},
    {0x2EA8, 0x72AD}, {0x2EA9, 0x738B}, {0x2EAB, 0x76EE}, {0x2EAC, 0x793A}, {0x2EAD, 0x793B},
    {0x2EAF, 0x7CF9}, {0x2EB0, 0x7E9F}, {0x2EB1, 0x7F53}, {0x2EB2, 0x7F52}, {0x2EB3, 0x34C1},
    {0x2EB4, 0x5197}, {0x2EB6, 0x7F8A}, {0x2EB9, 0x8002}, {0x2EBA, 0x8080}, {0x2EBB, 0x807F},
    {0x2EBC, 0x8089}, {0x2EBE, 0x8279}, {0x2EBF, 0x8279}, {0x2EC0, 0x8279}, {0x2EC1, 0x864E},
    {0x2EC2, 0x8864}, {0x2EC3, 0x8980}, {0x2EC4, 0x897F}, {0x2EC5, 0x89C1}, {0x2EC6, 0x89D2},
    {0x2EC8, 0x8BA0}, {0x2EC9, 0x8D1D}, {0x2ECB, 0x8F66}, {0x2ECC, 0x8FB6}, {0x2ECD, 0x8FB6},
    {0x2ECE, 0x8FB6}, {0x2ECF, 0x9091}, {0x2ED0, 0x9485}, {0x2ED1, 0x9577}, {0x2ED2, 0x9578},
    {0x2ED3, 0x957F}, {0x2ED4, 0x95E8}, {0x2ED6, 0x961D}, {0x2ED7, 0x96E8}, {0x2ED8, 0x9752},
    {0x2ED9, 0x97E6}, {0x2EDA, 0x9875}, {0x2EDB, 0x98CE}, {0x2EDC, 0x98DE}, {0x2EDD, 0x98DF},
    {0x2EDF, 0x98E0}, {0x2EE0, 0x9963}, {0x2EE2, 0x9A6C}, {0x2EE3, 0x9AA8}, {0x2EE4, 0x9B3C},
    {0x2EE5, 0x9C7C}, {0x2EE6, 0x9E1F}, {0x2EE7, 0x5364}, {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4},
    {0x2EEA, 0x9EFE}, {0x2EEB, 0x6589}, {0x2EEC, 0x9F50}, {0x2EED, 0x6B6F}, {0x2EEE, 0x9F7F},
    {0x2EEF, 0x7ADC}, {0x2EF0, 0x9F99}, {0x2EF1, 0x9F9C}, {0x2EF2, 0x4E80}, {0x2EF3, 0x9F9F}};

// The ideograph a radical's code point stands for (the Kangxi Radicals by their compatibility
// decomposition, the supplement by the table above); any other code as it is.
char16_t ideographOf(char16_t code) {
    if (code >= 0x2F00 && code <= 0x2FDF) {
        const QString ideograph = QString(QChar(code)).normalized(QString::NormalizationForm_KC);
        return ideograph.size() == 1 ? ideograph.at(0).unicode() : code;
    }
    const auto* found = std::lower_bound(
        std::begin(kSupplementRadicals), std::end(kSupplementRadicals), code,
        [](const std::pair<char16_t, char16_t>& entry, char16_t c) { return entry.first < c; });
    return found != std::end(kSupplementRadicals) && found->first == code ? found->second : code;
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
    // Only the destinations inside the ToUnicode maps (between "begincmap" and "endcmap"), one
    // <XXXX> code for another of the same length: no offset of the file moves. A map's line is
    // "<first> <last> <code>" or "<first> <last> [<code> <code> ...]"; a code after a range of
    // several glyphs stands for the first of consecutive code points and stays as it is.
    static const QRegularExpression line(
        QStringLiteral("^<[0-9A-Fa-f]{4}> <[0-9A-Fa-f]{4}> (\\[[^\\]\\n]*\\]|<[0-9A-Fa-f]{4}>)$"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression code(QStringLiteral("<([0-9A-Fa-f]{4})>"));
    qsizetype at = 0;
    while ((at = pdf.indexOf("begincmap", at)) >= 0) {
        const qsizetype end = pdf.indexOf("endcmap", at);
        if (end < 0) {
            break;
        }
        const QString map = QString::fromLatin1(pdf.mid(at, end - at));
        for (auto lines = line.globalMatch(map); lines.hasNext();) {
            const QRegularExpressionMatch found = lines.next();
            const QStringView text = found.capturedView(0);
            const bool one = text.mid(1, 4) == text.mid(8, 4);
            if (!one && !found.capturedView(1).startsWith(u'[')) {
                continue;
            }
            const QString destinations = found.captured(1);
            for (auto codes = code.globalMatch(destinations); codes.hasNext();) {
                const QRegularExpressionMatch each = codes.next();
                const auto from = static_cast<char16_t>(each.captured(1).toUInt(nullptr, 16));
                const char16_t to = ideographOf(from);
                if (to != from) {
                    const QByteArray hex =
                        QByteArray::number(to, 16).toUpper().rightJustified(4, '0');
                    pdf.replace(at + found.capturedStart(1) + each.capturedStart(1), 4, hex);
                }
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

QFont QtChartOutput::chartFont(qreal pixelSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun")});
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void QtChartOutput::drawLine(QPainter& painter, const QRectF& rect, const QString& text,
                             qreal pixelSize, bool bold, int align) {
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

}  // namespace exambell
