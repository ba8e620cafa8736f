#include "ui/ReportList.h"

#include <QHeaderView>
#include <QIcon>
#include <QStyle>
#include <QTreeWidget>

#include "ui/QtText.h"

namespace exambell {

ReportList::ReportList(QWidget* parent, const Text& designName, const std::vector<Column>& columns)
    : Control(new QTreeWidget(parent), designName, true) {
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
    }
}

void ReportList::deleteAllRows() {
    tree()->clear();
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
