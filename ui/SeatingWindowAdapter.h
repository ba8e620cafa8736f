#pragma once
// The seating-chart window seen through the seating operations' view: each call reads or writes
// the controls at that moment; nothing is kept here.

#include "seating/SeatingView.h"

namespace exambell {

class SeatingWindow;

class SeatingWindowAdapter : public SeatingView {
  public:
    explicit SeatingWindowAdapter(SeatingWindow& window) : window_(window) {}

    ChartFields chartFields() const override;
    ImportFields importFields() const override;

    void setCount(const Text& count) override;
    void setClassName(const Text& className) override;
    void setRoster(const Text& roster) override;
    void setClassEntries(const std::vector<ClassEntry>& entries) override;

    void setGridRowCount(int rows) override;
    void setGridColumnCount(int columns) override;
    void showTable(const SeatTable& table) override;
    SeatTable table() const override;

    void setDrawInfo(const Text& code, const Text& fingerprint) override;
    void setExportEnabled(bool enabled) override;
    const DialogOwner* owner() const override;

  private:
    SeatingWindow& window_;
};

}  // namespace exambell
