#pragma once
// The seating window's view as plain fields, for the operations' tests without any window.

#include "seating/ChartDocument.h"
#include "seating/SeatingView.h"

namespace exambell::test {

class FakeSeatingView : public SeatingView, public DialogOwner {
  public:
    ChartFields chart{.count = "42", .rows = "8", .columns = "6"};
    ImportFields import{.separator = ","};
    std::vector<ClassEntry> entries;
    SeatTable grid;
    bool exportEnabled = false;

    ChartFields chartFields() const override { return chart; }
    ImportFields importFields() const override { return import; }
    void setCount(const Text& count) override { chart.count = count; }
    void setClassName(const Text& className) override { import.className = className; }
    void setRoster(const Text& roster) override { import.roster = roster; }
    void setClassEntries(const std::vector<ClassEntry>& list) override {
        entries = list;
        chart.classText.clear();
        chart.classValue = 0;
    }
    void setGridRowCount(int rows) override { grid = resized(rows, grid.columnCount()); }
    void setGridColumnCount(int columns) override { grid = resized(grid.rowCount(), columns); }
    void showTable(const SeatTable& table) override { grid = table; }
    SeatTable table() const override { return grid; }
    void setDrawInfo(const Text& code, const Text& fingerprint) override {
        chart.shownCode = code;
        chart.shownFingerprint = fingerprint;
        chart.typedCode = code;
    }
    void setExportEnabled(bool enabled) override { exportEnabled = enabled; }
    const DialogOwner* owner() const override { return this; }

    // Chooses the entry with that text, as the operator would in the class box.
    bool choose(const Text& name) {
        for (const ClassEntry& entry : entries) {
            if (entry.name == name) {
                chart.classText = entry.name;
                chart.classValue = entry.value;
                return true;
            }
        }
        return false;
    }

  private:
    SeatTable resized(int rows, int columns) const {
        SeatTable table(std::max(rows, 0), std::max(columns, 0));
        for (int r = 0; r < std::min(rows, grid.rowCount()); ++r) {
            for (int j = 0; j < std::min(columns, grid.columnCount()); ++j) {
                table.setCell(r, j, grid.cell(r, j));
            }
        }
        return table;
    }
};

// Records the charts written and printed instead of drawing them.
class RecordingChartOutput : public ChartOutput {
  public:
    std::vector<std::pair<Text, ChartDocument>> written;  // path, document
    std::vector<ChartDocument> printed;
    bool writeSucceeds = true;
    PrintResult printResult = PrintResult::Printed;

    bool writePdf(const ChartDocument& document, const Text& path) override {
        written.emplace_back(path, document);
        return writeSucceeds;
    }
    PrintResult print(const ChartDocument& document, const DialogOwner*) override {
        printed.push_back(document);
        return printResult;
    }
};

}  // namespace exambell::test
