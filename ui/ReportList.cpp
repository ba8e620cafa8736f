#include "ui/ReportList.h"

#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <numeric>

#include "ui/QtText.h"

namespace exambell {

ReportList::ReportList(QWidget* parent, const Text& designName, const std::vector<Column>& columns)
    : Control(new QTreeWidget(parent), designName) {
    QTreeWidget* list = tree();
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const Column& column : columns) {
        titles << toQString(column.title);
    }
    list->setHeaderLabels(titles);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        list->setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
        designWidths_.push_back(columns[static_cast<std::size_t>(i)].width);
    }
    list->header()->setStretchLastSection(false);
    list->setTextElideMode(Qt::ElideMiddle);
    viewport_ = list->viewport();
    list->viewport()->installEventFilter(this);
}

bool ReportList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == viewport_) {
        scheduleFit();
    }
    return Control::eventFilter(watched, event);
}

void ReportList::scheduleFit() {
    if (!fitPending_) {
        fitPending_ = true;
        QTimer::singleShot(0, this, [this] { fitColumns(); });
    }
}

void ReportList::fitColumns() {
    fitPending_ = false;
    QTreeWidget* list = tree();
    const int count = columnCount();
    if (count == 0) {
        return;
    }
    // Room inside the frame and beside a vertical scroll bar: when the bar comes or goes, the
    // viewport's resize fits the columns again.
    const int room = list->viewport()->width();
    std::vector<int> needed(static_cast<std::size_t>(count));
    std::vector<int> widths(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        needed[k] = std::max(list->header()->sectionSizeHint(i),
                             static_cast<const QAbstractItemView*>(list)->sizeHintForColumn(i));
        widths[k] = std::max(needed[k], designWidths_[k]);
    }
    int total = std::accumulate(widths.begin(), widths.end(), 0);
    // Too wide: give back what the columns have beyond their needs, the widest surplus first.
    while (total > room) {
        std::size_t most = 0;
        for (std::size_t k = 1; k < widths.size(); ++k) {
            if (widths[k] - needed[k] > widths[most] - needed[most]) {
                most = k;
            }
        }
        const int surplus = widths[most] - needed[most];
        if (surplus <= 0) {
            break;
        }
        const int take = std::min(surplus, total - room);
        widths[most] -= take;
        total -= take;
    }
    // Still too wide: the last column shrinks to what is left (its texts are shortened).
    if (total > room) {
        const int others = total - widths.back();
        widths.back() = std::max(list->header()->sectionSizeHint(count - 1), room - others);
    } else {
        widths.back() += room - total;
    }
    for (int i = 0; i < count; ++i) {
        list->setColumnWidth(i, widths[static_cast<std::size_t>(i)]);
    }
}

QTreeWidget* ReportList::tree() const {
    return static_cast<QTreeWidget*>(widget());
}

int ReportList::rowCount() const {
    return tree()->topLevelItemCount();
}

int ReportList::columnCount() const {
    return tree()->columnCount();
}

int ReportList::addRow() {
    tree()->addTopLevelItem(new QTreeWidgetItem());
    scheduleFit();
    return rowCount() - 1;
}

Text ReportList::cell(int row, int column) const {
    QTreeWidgetItem* item = tree()->topLevelItem(row);
    if (!item || column < 0 || column >= columnCount()) {
        return Text();
    }
    return fromQString(item->text(column));
}

void ReportList::setCell(int row, int column, const Text& text) {
    QTreeWidgetItem* item = tree()->topLevelItem(row);
    if (item && column >= 0 && column < columnCount()) {
        item->setText(column, toQString(text));
        item->setToolTip(column, item->text(column));
        scheduleFit();
    }
}

void ReportList::deleteAllRows() {
    tree()->clear();
    scheduleFit();
}

namespace {
// The tone is kept on the item, so it can be read back whatever the style draws.
constexpr int kToneRole = Qt::UserRole + 1;
}  // namespace

void ReportList::setRowTone(int row, Tone tone) {
    QTreeWidgetItem* item = tree()->topLevelItem(row);
    if (!item) {
        return;
    }
    QBrush background;
    QBrush foreground;
    switch (tone) {
        case Tone::Highlight:
            background = QBrush(QColor(255, 236, 150));
            break;
        case Tone::Done:
            foreground = QBrush(QColor(120, 120, 120));
            break;
        case Tone::Alert:
            background = QBrush(QColor(255, 214, 214));
            foreground = QBrush(QColor(170, 0, 0));
            break;
        case Tone::Plain:
            break;
    }
    for (int c = 0; c < columnCount(); ++c) {
        item->setBackground(c, background);
        item->setForeground(c, foreground);
    }
    item->setData(0, kToneRole, static_cast<int>(tone));
}

ReportList::Tone ReportList::rowTone(int row) const {
    QTreeWidgetItem* item = tree()->topLevelItem(row);
    return item ? static_cast<Tone>(item->data(0, kToneRole).toInt()) : Tone::Plain;
}

}  // namespace exambell
