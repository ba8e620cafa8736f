#pragma once
// An audio output that records its calls and "plays" each sound for a set time of the fake clock.

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
    };

    explicit FakeAudioOutput(const FakeClock& clock, std::int64_t soundMilliseconds = 3000)
        : clock_(clock), length_(soundMilliseconds) {}

    void playSoundFile(const Text& path) override { start("sound", path); }
    void playCompressedFile(const Text& path) override { start("compressed", path); }
    void stopAllAudio() override {
        calls.push_back({"stop", Text(), clock_.wallMilliseconds()});
        until_ = clock_.tickCount();
    }
    bool isIdle() const override { return clock_.tickCount() >= until_; }

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

  private:
    void start(const char* what, const Text& path) {
        calls.push_back({what, path, clock_.wallMilliseconds()});
        until_ = clock_.tickCount() + length_;
    }

    const FakeClock& clock_;
    std::int64_t length_;
    std::int64_t until_ = 0;
};

}  // namespace exambell::test
