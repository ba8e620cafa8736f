// The real audio output on SDL's disk driver, with a device that a test can make fail to open or
// vanish: what each play says became of it, and a sound that waits for a device and plays as soon
// as one is back. Time for the retries and the watch comes from the driven clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <vector>

#include "schedule/SdlAudioOutput.h"
#include "schedule/SdlMixerDevice.h"
#include "tests/schedule/TestSounds.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempFolder.h"
#include "text/Paths.h"

namespace exambell {
namespace {

// Waits for what the device thread or the event loop will bring; generous, for a loaded machine.
template <typename Predicate>
bool waitFor(Predicate done) {
    return QTest::qWaitFor(done, 30000);
}

// The real SDL device, except that opening fails and the device is gone when the test says so.
class ScriptedDevice : public MixerDevice {
  public:
    bool open(int bufferFrames) override {
        ++attempts;
        if (failOpens) {
            return false;
        }
        lost = false;
        return real.open(bufferFrames);
    }
    bool isAlive() const override { return !lost && real.isAlive(); }
    void close() override { real.close(); }

    std::atomic<bool> failOpens{false};
    std::atomic<bool> lost{false};
    std::atomic<int> attempts{0};
    SdlMixerDevice real;
};

class AudioDevice : public testing::Test {
  protected:
    AudioDevice() : capture(folder.path()) {}

    void makeOutput(bool startLater = false) {
        SdlAudioOutput::Options options;
        options.clock = &clock;
        options.device = &device;
        options.startLater = startLater;
        output = std::make_unique<SdlAudioOutput>(options);
        output->setDeviceHandler([this](bool open) {
            states.push_back(open);
            toldWhileOpening.push_back(output->isDeviceOpening());
        });
        output->setReportHandler([this](const PlayReport& r) { reports.push_back(r); });
    }
    Text file(const std::string& name, const std::string& bytes) const {
        folder.write(name, bytes);
        return joinPath(folder.text(), name);
    }
    // Waits for the device thread to end its attempt number `attempts` and for its outcome to
    // reach the window's thread (which arms the retry or the watch, timers of the driven clock).
    void settleAfter(int attempts, std::size_t timers = 1) {
        ASSERT_TRUE(waitFor([&] {
            return device.attempts == attempts && !output->isDeviceOpening() &&
                   clock.pendingTimers() == timers;
        }));
        // The thread posts the outcome before it lets go of the state, so it is queued by now;
        // with no timer to wait for, nothing above proves it has been delivered.
        QCoreApplication::sendPostedEvents();
        ASSERT_EQ(clock.pendingTimers(), timers);
    }
    bool waitUntilIdle() const {
        return waitFor([&] { return output->isIdle(); });
    }

    test::TempFolder folder;
    test::DiskAudioCapture capture;
    test::FakeClock clock;
    ScriptedDevice device;
    std::unique_ptr<SdlAudioOutput> output;
    std::vector<bool> states;
    // Whether the output still counted as opening when it told each state: a status line drawn
    // then says nothing about a missing device.
    std::vector<bool> toldWhileOpening;
    std::vector<PlayReport> reports;
};

TEST_F(AudioDevice, ADeviceLostBeforeACueAndBackTwoSecondsLaterPlaysTheCueThen) {
    makeOutput();
    ASSERT_TRUE(waitFor([&] { return states.size() == 1; }));
    EXPECT_TRUE(states[0]);
    settleAfter(1);  // the watch

    device.failOpens = true;
    device.lost = true;
    clock.advance(SdlAudioOutput::kWatchMilliseconds);  // the watch finds it gone
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_FALSE(output->isDeviceOpen());
    settleAfter(2, 0);  // closed, and one attempt at once failed: told again, now settled
    EXPECT_EQ(states, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(toldWhileOpening.back(), false);

    const Text bell = file("bell.wav", test::makeWav(0.3, 8000));
    const PlayResult play = output->playSoundFile(bell);
    EXPECT_EQ(play.outcome, PlayOutcome::NoDevice);
    EXPECT_FALSE(output->isIdle());  // waiting to sound
    settleAfter(3);                  // the play tried once more; a retry is armed

    clock.advance(SdlAudioOutput::kRetryMilliseconds);
    settleAfter(4);
    EXPECT_TRUE(reports.empty());

    device.failOpens = false;  // two seconds after the cue the device is back
    clock.advance(SdlAudioOutput::kRetryMilliseconds);
    ASSERT_TRUE(waitFor([&] { return !reports.empty(); }));
    EXPECT_EQ(reports[0].id, play.id);
    EXPECT_EQ(reports[0].outcome, PlayOutcome::Started);
    EXPECT_EQ(states, (std::vector<bool>{true, false, false, true}));
    EXPECT_TRUE(output->isDeviceOpen());
    ASSERT_TRUE(waitUntilIdle());
    // The reopened device writes a new file: the bell is in it, once.
    const auto samples = capture.samples(0);
    EXPECT_NEAR(static_cast<double>(test::countAudible(samples)), 0.3 * 88200, 0.02 * 88200);
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(AudioDevice, ASoundCutOffByALostDeviceIsReported) {
    makeOutput();
    ASSERT_TRUE(waitFor([&] { return states.size() == 1; }));
    const PlayResult play = output->playSoundFile(file("long.wav", test::makeWav(20, 8000)));
    EXPECT_EQ(play.outcome, PlayOutcome::Started);
    ASSERT_TRUE(capture.waitForSize(test::DiskAudioCapture::kBytesPerSecond / 2));
    device.lost = true;
    clock.advance(SdlAudioOutput::kWatchMilliseconds);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, play.id);
    EXPECT_EQ(reports[0].outcome, PlayOutcome::NoDevice);
    // The device opens again at once; the cut-off sound is not replayed.
    ASSERT_TRUE(waitFor([&] { return states.size() == 3; }));
    EXPECT_TRUE(output->isIdle());
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(AudioDevice, WithoutADeviceAtStartARetryPlaysTheWaitingSound) {
    device.failOpens = true;
    makeOutput();
    settleAfter(1, 0);
    EXPECT_FALSE(output->isDeviceOpen());
    EXPECT_EQ(states, std::vector<bool>{false});
    const PlayResult play =
        output->playCompressedFile(file("tune.mid", test::makeMidi(2)));  // via the music stream
    EXPECT_EQ(play.outcome, PlayOutcome::NoDevice);
    settleAfter(2);
    device.failOpens = false;
    output->retryDevice();  // as a run start does
    ASSERT_TRUE(waitFor([&] { return !reports.empty(); }));
    EXPECT_EQ(reports[0].id, play.id);
    EXPECT_EQ(reports[0].outcome, PlayOutcome::Started);
    EXPECT_EQ(states, (std::vector<bool>{false, true}));
}

TEST_F(AudioDevice, AnOutputStartedLaterOpensNothingBeforeItsStartThenPlaysWhatWaited) {
    makeOutput(true);
    const PlayResult play = output->playSoundFile(file("bell.wav", test::makeWav(0.2, 8000)));
    EXPECT_NE(play.outcome, PlayOutcome::Started);
    EXPECT_EQ(device.attempts, 0);
    EXPECT_TRUE(states.empty());
    output->start();
    output->start();  // once is enough
    ASSERT_TRUE(waitFor([&] { return !reports.empty(); }));
    EXPECT_EQ(reports[0].id, play.id);
    EXPECT_EQ(reports[0].outcome, PlayOutcome::Started);
    EXPECT_EQ(device.attempts, 1);
    EXPECT_EQ(states, std::vector<bool>{true});
    // An output that never started ends at once.
    output.reset();
    makeOutput(true);
    output.reset();
    EXPECT_EQ(device.attempts, 1);
}

TEST_F(AudioDevice, AWaitingSoundGivesUpAfterItsTimeAndAStopDropsIt) {
    device.failOpens = true;
    makeOutput();
    settleAfter(1, 0);
    output->playSoundFile(file("bell.wav", test::makeWav(0.3, 8000)));
    settleAfter(2);
    for (std::int64_t waited = 0; waited < SdlAudioOutput::kWaitForDeviceMilliseconds;
         waited += SdlAudioOutput::kRetryMilliseconds) {
        clock.advance(SdlAudioOutput::kRetryMilliseconds);
        ASSERT_TRUE(waitFor([&] { return !output->isDeviceOpening(); }));
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(output->isIdle());
    // The sound gave up: said once, so that its cue is not left waiting for ever.
    ASSERT_TRUE(waitFor([&] { return !reports.empty(); }));
    EXPECT_EQ(reports[0].outcome, PlayOutcome::NoDevice);
    device.failOpens = false;
    output->retryDevice();
    ASSERT_TRUE(waitFor([&] { return states.size() == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports.size(), 1u);  // too late: the sound was given up, not played

    device.lost = true;
    device.failOpens = true;
    clock.advance(SdlAudioOutput::kWatchMilliseconds);
    const PlayResult dropped = output->playSoundFile(file("bell2.wav", test::makeWav(0.3, 8000)));
    output->stopAllAudio();
    EXPECT_TRUE(output->isIdle());
    device.failOpens = false;
    output->retryDevice();
    ASSERT_TRUE(waitFor([&] { return states.back() && reports.size() == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports[1].id, dropped.id);  // the stop dropped it: never played
    EXPECT_EQ(reports[1].outcome, PlayOutcome::NoDevice);
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(AudioDevice, SdlAudioThatFailedToStartIsStartedAgainAndTheWaitingCuePlays) {
    // As with SDL on a sound server that is not up yet: the audio subsystem itself fails.
    setenv("SDL_AUDIODRIVER", "exambell-no-such-driver", 1);
    makeOutput();
    ASSERT_TRUE(waitFor([&] { return states.size() == 1; }));
    EXPECT_FALSE(states[0]);
    QCoreApplication::sendPostedEvents();
    setenv("SDL_AUDIODRIVER", "disk", 1);  // the server is up
    const PlayResult play = output->playSoundFile(file("bell.wav", test::makeWav(0.3, 8000)));
    EXPECT_EQ(play.outcome, PlayOutcome::NoDevice);
    ASSERT_TRUE(waitFor([&] { return !reports.empty(); }));
    EXPECT_EQ(reports[0].id, play.id);
    EXPECT_EQ(reports[0].outcome, PlayOutcome::Started);
    EXPECT_TRUE(output->isDeviceOpen());
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_NEAR(static_cast<double>(test::countAudible(capture.samples(0))), 0.3 * 88200,
                0.02 * 88200);
}

TEST_F(AudioDevice, ALostDeviceThatDoesNotComeBackIsToldOnceTheReopenHasFailed) {
    makeOutput();
    ASSERT_TRUE(waitFor([&] { return states.size() == 1; }));
    settleAfter(1);
    device.failOpens = true;
    device.lost = true;
    clock.advance(SdlAudioOutput::kWatchMilliseconds);
    settleAfter(2, 0);
    ASSERT_FALSE(states.empty());
    EXPECT_FALSE(states.back());
    // The last word came when nothing was under way any more: "no device" can be shown.
    EXPECT_FALSE(toldWhileOpening.back());
    EXPECT_FALSE(output->isDeviceOpening());
}

TEST_F(AudioDevice, EachPlaySaysWhatBecameOfIt) {
    makeOutput();
    ASSERT_TRUE(waitFor([&] { return states.size() == 1; }));
    EXPECT_EQ(output->playSoundFile(joinPath(folder.text(), "missing.wav")).outcome,
              PlayOutcome::FileMissing);
    EXPECT_EQ(output->playCompressedFile(Text()).outcome, PlayOutcome::FileMissing);
    EXPECT_EQ(output->playSoundFile(folder.text()).outcome, PlayOutcome::FileMissing);  // a folder
    EXPECT_EQ(output->playCompressedFile(file("notes.mp3", "hello")).outcome,
              PlayOutcome::Undecodable);

    // The simple player decodes on its loader thread: a bad file is reported afterwards.
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"text.wav", "This is a text file, not a sound.\n"},
             {"broken.wav", std::string("RIFF\0\0\0\0WAVEjunk", 16)},
             {"broken.mid", "MThd garbage"}}) {
        SCOPED_TRACE(name);
        reports.clear();
        const PlayResult play = output->playSoundFile(file(name, bytes));
        EXPECT_EQ(play.outcome, PlayOutcome::Started);
        ASSERT_TRUE(waitFor([&] { return !reports.empty(); }));
        EXPECT_EQ(reports[0].id, play.id);
        EXPECT_EQ(reports[0].outcome, PlayOutcome::Undecodable);
    }

    reports.clear();
    const PlayResult good = output->playSoundFile(file("tune.mid", test::makeMidi(2)));
    EXPECT_EQ(good.outcome, PlayOutcome::Started);
    ASSERT_TRUE(waitUntilIdle());
    QCoreApplication::processEvents();
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace exambell
