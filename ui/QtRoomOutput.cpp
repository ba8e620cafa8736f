#include "ui/QtRoomOutput.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

#include "text/Encoding.h"
#include "ui/QtChartOutput.h"
#include "ui/QtText.h"

namespace exambell {

namespace {

const Text kSeat = utf8ToGbk("座号");
const Text kExamNumber = utf8ToGbk("考号");
const Text kName = utf8ToGbk("姓名");
const Text kClass = utf8ToGbk("班级");
const Text kSignature = utf8ToGbk("签名");
const Text kPagePrefix = utf8ToGbk("第 ");
const Text kPageMiddle = utf8ToGbk(" / ");
const Text kPageSuffix = utf8ToGbk(" 页");
const Text kSeatPrefix = utf8ToGbk("座号 ");

qreal millimetre(const QPainter& painter) {
    return painter.device()->logicalDpiY() / 25.4;
}

// A table with a heading row: columns' widths as shares of the width, rows of equal height.
struct Table {
    QRectF area;
    std::vector<qreal> shares;
    qreal rowHeight;

    qreal x(std::size_t column) const {
        qreal total = 0;
        for (qreal s : shares) {
            total += s;
        }
        qreal at = area.left();
        for (std::size_t j = 0; j < column; ++j) {
            at += area.width() * shares[j] / total;
        }
        return at;
    }
    QRectF cell(int row, std::size_t column) const {
        return QRectF(x(column), area.top() + row * rowHeight, x(column + 1) - x(column),
                      rowHeight);
    }
    void drawRow(QPainter& painter, int row, const std::vector<Text>& texts, bool bold) const {
        const qreal pad = rowHeight * 0.15;
        for (std::size_t j = 0; j < shares.size(); ++j) {
            const QRectF box = cell(row, j);
            if (bold) {
                painter.fillRect(box, QColor(0xE8, 0xE8, 0xE8));
            }
            painter.drawRect(box);
            if (j < texts.size() && !texts[j].empty()) {
                QtChartOutput::drawLine(painter, box.adjusted(pad, 0, -pad, 0), toQString(texts[j]),
                                        rowHeight * 0.5, bold, Qt::AlignCenter);
            }
        }
    }
};

// The title block of a portrait page; returns where the page's body starts.
qreal titleBlock(QPainter& painter, const QRectF& page, const Text& heading, const Text& details) {
    const qreal mm = millimetre(painter);
    QtChartOutput::drawLine(painter, QRectF(page.left(), page.top(), page.width(), 14 * mm),
                            toQString(heading), 9 * mm, true, Qt::AlignCenter);
    QtChartOutput::drawLine(painter,
                            QRectF(page.left(), page.top() + 15 * mm, page.width(), 7 * mm),
                            toQString(details), 4 * mm, false, Qt::AlignCenter);
    return page.top() + 26 * mm;
}

void footerLine(QPainter& painter, const QRectF& page, const Text& left, const Text& right) {
    const qreal mm = millimetre(painter);
    const QRectF footer(page.left(), page.bottom() - 6 * mm, page.width(), 6 * mm);
    QtChartOutput::drawLine(painter, footer, toQString(left), 3.5 * mm, false,
                            Qt::AlignLeft | Qt::AlignVCenter);
    if (!right.empty()) {
        QtChartOutput::drawLine(painter, footer, toQString(right), 3.5 * mm, false,
                                Qt::AlignRight | Qt::AlignVCenter);
    }
}

QPageLayout a4(QPageLayout::Orientation orientation, qreal margin) {
    return QPageLayout(QPageSize(QPageSize::A4), orientation,
                       QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

// Writes pages into a PDF over path: draw(writer, painter) lays them out; the file is replaced
// only when everything went well. The text layer is made searchable as the chart's is.
template <typename Draw>
bool writePdfFile(const Text& path, const Text& title, const QPageLayout& first, Draw draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(first);
        writer.setResolution(300);
        writer.setTitle(toQString(title));
        writer.setCreator(QStringLiteral("ExamBell"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return false;
        }
        draw(writer, painter);
        if (!painter.end()) {
            return false;
        }
    }
    QSaveFile file(toQString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray pdf = QtChartOutput::withSearchableText(buffer.data());
    if (file.write(pdf) != pdf.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QRectF paintArea(const QPdfWriter& writer) {
    const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
    return QRectF(QPointF(0, 0), QSizeF(area.size()));
}

}  // namespace

void QtRoomOutput::paintDoorList(QPainter& painter, const QRectF& page,
                                 const ArrangementDocument& document, const RoomPages& room) {
    const qreal mm = millimetre(painter);
    painter.save();
    painter.setPen(QPen(Qt::black, 0.25 * mm));
    qreal y = titleBlock(painter, page, document.doorHeading(room), document.roomDetails(room));
    // The room's name once more, as large as the door wants it.
    QtChartOutput::drawLine(painter, QRectF(page.left(), y, page.width(), 22 * mm),
                            toQString(room.room), 18 * mm, true, Qt::AlignCenter);
    y += 26 * mm;
    // Up to 30 candidates in one block of columns, more side by side in two.
    const int count = static_cast<int>(room.candidates.size());
    const int blocks = count > 30 ? 2 : 1;
    const int perBlock = (count + blocks - 1) / blocks;
    const qreal bottom = page.bottom() - 8 * mm;
    const qreal rowHeight = std::min(9 * mm, (bottom - y) / (perBlock + 1));
    const qreal gap = 4 * mm;
    const qreal blockWidth = (page.width() - gap * (blocks - 1)) / blocks;
    for (int b = 0; b < blocks; ++b) {
        const Table table{
            QRectF(page.left() + b * (blockWidth + gap), y, blockWidth, rowHeight * (perBlock + 1)),
            {1, 2.4, 1.8, 2.2},
            rowHeight};
        table.drawRow(painter, 0, {kSeat, kExamNumber, kName, kClass}, true);
        for (int i = 0; i < perBlock && b * perBlock + i < count; ++i) {
            const CandidateLine& c = room.candidates[b * perBlock + i];
            table.drawRow(painter, i + 1, {c.seat, c.examNumber, c.name, c.className}, false);
        }
    }
    footerLine(painter, page, document.footer(), Text());
    painter.restore();
}

void QtRoomOutput::paintSignIn(QPainter& painter, const QRectF& page,
                               const ArrangementDocument& document, const RoomPages& room, int from,
                               int count, int sheet, int sheets) {
    const qreal mm = millimetre(painter);
    painter.save();
    painter.setPen(QPen(Qt::black, 0.25 * mm));
    const qreal y =
        titleBlock(painter, page, document.signInHeading(room), document.roomDetails(room));
    const qreal rowHeight =
        std::min(8.5 * mm, (page.bottom() - 10 * mm - y) / (kSignInRowsPerPage + 1));
    const Table table{QRectF(page.left(), y, page.width(), rowHeight * (count + 1)),
                      {0.9, 2.2, 1.6, 2.0, 3.0},
                      rowHeight};
    table.drawRow(painter, 0, {kSeat, kExamNumber, kName, kClass, kSignature}, true);
    for (int i = 0; i < count; ++i) {
        const CandidateLine& c = room.candidates[from + i];
        table.drawRow(painter, i + 1, {c.seat, c.examNumber, c.name, c.className}, false);
    }
    footerLine(painter, page, document.footer(),
               kPagePrefix + toText(sheet) + kPageMiddle + toText(sheets) + kPageSuffix);
    painter.restore();
}

void QtRoomOutput::paintLabel(QPainter& painter, const QRectF& box,
                              const ArrangementDocument& document, const RoomPages& room,
                              const CandidateLine& candidate) {
    (void)document;
    const qreal mm = millimetre(painter);
    painter.save();
    // A light frame to cut along; label sheets with their own cuts ignore it.
    painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 0.2 * mm, Qt::DashLine));
    painter.drawRect(box);
    painter.setPen(Qt::black);
    const QRectF inner = box.adjusted(4 * mm, 3 * mm, -4 * mm, -3 * mm);
    const qreal line = inner.height() / 5;
    QtChartOutput::drawLine(painter, QRectF(inner.left(), inner.top(), inner.width(), line),
                            toQString(room.room + "  " + kSeatPrefix + candidate.seat), line * 0.62,
                            false, Qt::AlignLeft | Qt::AlignVCenter);
    QtChartOutput::drawLine(painter,
                            QRectF(inner.left(), inner.top() + line, inner.width(), line * 2),
                            toQString(candidate.name), line * 1.35, true, Qt::AlignCenter);
    QtChartOutput::drawLine(
        painter, QRectF(inner.left(), inner.top() + line * 3, inner.width(), line),
        toQString(kExamNumber + " " + candidate.examNumber), line * 0.7, true, Qt::AlignCenter);
    QtChartOutput::drawLine(painter,
                            QRectF(inner.left(), inner.top() + line * 4, inner.width(), line),
                            toQString(candidate.className + "  " + candidate.position), line * 0.55,
                            false, Qt::AlignCenter);
    painter.restore();
}

bool QtRoomOutput::writeRoomsPdf(const ArrangementDocument& document, const Text& path) {
    const QPageLayout landscape = a4(QPageLayout::Landscape, 10);
    const QPageLayout portrait = a4(QPageLayout::Portrait, 12);
    return writePdfFile(path, document.exam, landscape, [&](QPdfWriter& writer, QPainter& painter) {
        bool first = true;
        const auto next = [&](const QPageLayout& layout) {
            writer.setPageLayout(layout);
            if (!first) {
                writer.newPage();
                if (pass_) {
                    pass_();
                }
            }
            first = false;
            return paintArea(writer);
        };
        for (const RoomPages& room : document.rooms) {
            // A large room's chart runs over several pages, each with its rows' and columns'
            // labels, as the seating chart prints.
            const auto chartPages = static_cast<int>(QtChartOutput::pages(room.chart).size());
            for (int index = 0; index < chartPages; ++index) {
                QtChartOutput::paint(painter, next(landscape), room.chart, index);
            }
            paintDoorList(painter, next(portrait), document, room);
            const int count = static_cast<int>(room.candidates.size());
            const int sheets = std::max(1, (count + kSignInRowsPerPage - 1) / kSignInRowsPerPage);
            for (int sheet = 0; sheet < sheets; ++sheet) {
                const int from = sheet * kSignInRowsPerPage;
                paintSignIn(painter, next(portrait), document, room, from,
                            std::min(kSignInRowsPerPage, count - from), sheet + 1, sheets);
            }
        }
    });
}

bool QtRoomOutput::writeLabelsPdf(const ArrangementDocument& document, const Text& path,
                                  int columns, int rows) {
    columns = std::max(columns, 1);
    rows = std::max(rows, 1);
    const QPageLayout sheet = a4(QPageLayout::Portrait, 0);
    return writePdfFile(path, document.exam, sheet, [&](QPdfWriter& writer, QPainter& painter) {
        const QRectF page = paintArea(writer);
        const qreal width = page.width() / columns;
        const qreal height = page.height() / rows;
        int at = 0;
        for (const RoomPages& room : document.rooms) {
            for (const CandidateLine& candidate : room.candidates) {
                if (at == columns * rows) {
                    writer.newPage();
                    at = 0;
                    if (pass_) {
                        pass_();
                    }
                }
                const QRectF box(page.left() + (at % columns) * width,
                                 page.top() + (at / columns) * height, width, height);
                paintLabel(painter, box, document, room, candidate);
                ++at;
            }
        }
    });
}

}  // namespace exambell
