#pragma once
// ArrangementView over the real arrangement window: reads and writes its controls on every call.

#include "rooms/ArrangementView.h"

namespace exambell {

class ArrangementWindow;

class ArrangementWindowAdapter : public ArrangementView {
  public:
    explicit ArrangementWindowAdapter(ArrangementWindow& window) : window_(window) {}

    ArrangementFields fields() const override;
    void setClassName(const Text& name) override;
    void setRoster(const Text& roster) override;
    void setClassEntries(const std::vector<Text>& entries) override;
    void setRooms(const Text& rooms) override;
    void showSettings(const ArrangementSettings& settings) override;
    void showSummary(const SeatTable& summary) override;
    void setDrawInfo(const Text& code, const Text& fingerprint, const Text& note) override;
    void setOutputsEnabled(bool enabled) override;
    const DialogOwner* owner() const override;

  private:
    ArrangementWindow& window_;
};

}  // namespace exambell
