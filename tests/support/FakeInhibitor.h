#pragma once
// A sleep inhibitor that records holds and releases; available unless the test says otherwise.

#include <string>
#include <vector>

#include "platform/ClockSync.h"
#include "platform/Inhibitor.h"

namespace exambell::test {

class FakeInhibitor : public Inhibitor {
  public:
    void hold(const Text&) override {
        calls.push_back("hold");
        setState(available ? InhibitState::Held : InhibitState::Unavailable);
    }
    void release() override {
        calls.push_back("release");
        setState(InhibitState::Released);
    }
    InhibitState state() const override { return state_; }

    bool available = true;
    std::vector<std::string> calls;

  private:
    void setState(InhibitState state) {
        if (state != state_) {
            state_ = state;
            stateChanged(state);
        }
    }
    InhibitState state_ = InhibitState::Released;
};

// A clock synchronisation that answers at once with what the test set.
class FakeClockSync : public ClockSync {
  public:
    void query(Answer answer) override {
        ++queries;
        answer(state);
    }
    ClockSyncState state = ClockSyncState::Synchronised;
    int queries = 0;
};

}  // namespace exambell::test
