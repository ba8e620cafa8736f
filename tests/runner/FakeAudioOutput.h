#pragma once
// An audio output that records its calls and "plays" each sound for a set time of the fake clock.
// A test can script what a play of a path gives, close and reopen the device, and send the
// reports a real output sends later (a decode failure, a device lost, a late start).

#include <map>
#include <string>
#include <vector>

#include "schedule/AudioOutput.h"
#include "tests/support/FakeClock.h"

namespace exambell::test {

class FakeAudioOutput : public AudioOutput {
  public:
    struct Call {
        std::string what;  // "sound", "compressed", "stop"
        Text path;
        std::int64_t wallMilliseconds;
        std::uint64_t id = 0;
    };

    explicit FakeAudioOutput(const FakeClock& clock, std::int64_t soundMilliseconds = 3000)
        : clock_(clock), length_(soundMilliseconds) {}

    PlayResult playSoundFile(const Text& path) override { return start("sound", path); }
    PlayResult playCompressedFile(const Text& path) override { return start("compressed", path); }
    void stopAllAudio() override {
        calls.push_back({"stop", Text(), clock_.wallMilliseconds()});
        until_ = clock_.tickCount();
    }
    bool isIdle() const override { return clock_.tickCount() >= until_; }
    bool isDeviceOpen() const override { return deviceOpen_; }
    void retryDevice() override { ++retries; }

    // Opens or closes the device, telling the device handler as the real output does.
    void setDeviceOpen(bool open) {
        if (open != deviceOpen_) {
            deviceOpen_ = open;
            deviceChanged(open);
        }
    }
    // What a play of this path gives from now on (default: Started, or NoDevice while closed).
    void script(const Text& path, PlayOutcome outcome) { outcomes_[path] = outcome; }
    // A report of an earlier play, as the real output sends it on the event loop.
    void sendReport(std::uint64_t id, const Text& path, PlayOutcome outcome) {
        report(PlayReport{id, path, outcome});
    }

    std::vector<Call> plays() const {
        std::vector<Call> out;
        for (const Call& c : calls) {
            if (c.what != "stop") {
                out.push_back(c);
            }
        }
        return out;
    }

    std::vector<Call> calls;
    int retries = 0;

  private:
    PlayResult start(const char* what, const Text& path) {
        const std::uint64_t id = nextId_++;
        calls.push_back({what, path, clock_.wallMilliseconds(), id});
        PlayOutcome outcome = deviceOpen_ ? PlayOutcome::Started : PlayOutcome::NoDevice;
        if (const auto scripted = outcomes_.find(path); scripted != outcomes_.end()) {
            outcome = scripted->second;
        }
        if (outcome == PlayOutcome::Started) {
            until_ = clock_.tickCount() + length_;
        }
        return PlayResult{outcome, id};
    }

    const FakeClock& clock_;
    std::int64_t length_;
    std::int64_t until_ = 0;
    bool deviceOpen_ = true;
    std::uint64_t nextId_ = 1;
    std::map<Text, PlayOutcome> outcomes_;
};

}  // namespace exambell::test
