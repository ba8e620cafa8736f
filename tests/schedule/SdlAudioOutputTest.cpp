// The real audio output on SDL's disk driver: the tests read back the mixed samples.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

#include <signal.h>

#include "schedule/SdlAudioOutput.h"
#include "tests/schedule/TestSounds.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

using test::countAudible;
using test::DiskAudioCapture;
using test::firstAudible;
using test::lastAudible;

constexpr std::size_t kBytesPerSecond = DiskAudioCapture::kBytesPerSecond;
// The device buffer (512 frames) that may already be mixed when a call returns, twice for safety.
constexpr std::size_t kInFlight = 2 * 512 * 4;
// What the disk driver has mixed but not yet put into the file: it writes through a stdio buffer
// (4 KiB here, BUFSIZ at most), so the last samples of a sound reach the file only after the
// driver has written that much more, and the buffer mixed last comes on top.
constexpr std::size_t kUnflushed = 8192 + 512 * 4;

Text defaultRecording(const char* utf8Name) {
    return joinPath(utf8ToGbk(EXAMBELL_DATA_DIR "/\xE8\xAF\xAD\xE9\x9F\xB3\xE6\x96\x87\xE4\xBB\xB6"
                                                "\xE5\xBA\x93"),  // 语音文件库
                    utf8ToGbk(utf8Name));
}

class SdlAudioOutputTest : public testing::Test {
  protected:
    SdlAudioOutputTest() : capture(folder.path()), output(std::make_unique<SdlAudioOutput>()) {
        output->waitForDevice();
    }

    Text file(const std::string& utf8Name, const std::string& bytes) const {
        folder.write(utf8Name, bytes);
        return joinPath(folder.text(), utf8ToGbk(utf8Name));
    }

    bool waitUntilIdle() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!output->isIdle()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // The samples from `from` to the end of what has been mixed, once the player is idle: the
    // driver goes on writing silence, which pushes the last mixed samples into the file.
    std::vector<std::int16_t> mixedSince(std::size_t from) const {
        EXPECT_TRUE(capture.waitForSize(capture.size() + kUnflushed));
        return capture.samples(from);
    }

    // Whether anything sounds after `from`, looked at a tenth of a second of audio at a time:
    // the simple player loads its file on a thread of its own, later on a busy machine.
    bool waitUntilAudible(std::size_t from) const {
        for (std::size_t to = from + kBytesPerSecond / 10; to <= from + 5 * kBytesPerSecond;
             to += kBytesPerSecond / 10) {
            if (!capture.waitForSize(to)) {
                return false;
            }
            if (countAudible(capture.samples(from, to)) > 0) {
                return true;
            }
        }
        return false;
    }

    // The samples from `from` until the file has grown by `seconds` past it.
    std::vector<std::int16_t> nextSeconds(std::size_t from, double seconds) const {
        const std::size_t to = from + static_cast<std::size_t>(seconds * kBytesPerSecond);
        EXPECT_TRUE(capture.waitForSize(to));
        return capture.samples(from, to);
    }

    test::TempFolder folder;
    DiskAudioCapture capture;
    std::unique_ptr<SdlAudioOutput> output;
};

TEST_F(SdlAudioOutputTest, DefaultStartRecordingSoundsThroughTheCompressedPlayer) {
    ASSERT_TRUE(output->isDeviceOpen());
    const std::size_t start = capture.size();
    output->playCompressedFile(defaultRecording("04\xE5\xBC\x80\xE8\x80\x83.mp3"));  // 04开考.mp3
    EXPECT_FALSE(output->isIdle());
    ASSERT_TRUE(waitUntilIdle());
    const auto samples = mixedSince(start);
    // The recording is a chime and about five seconds of speech.
    EXPECT_GT(countAudible(samples), kBytesPerSecond / 2 / 2);
    const double heard = static_cast<double>(lastAudible(samples) - firstAudible(samples)) / 88200;
    EXPECT_GT(heard, 4.0);
    EXPECT_LT(heard, 7.0);  // once, not twice
}

TEST_F(SdlAudioOutputTest, WavAndMidiSoundThroughTheSimplePlayerOnce) {
    const std::size_t start = capture.size();
    output->playSoundFile(file("bell.wav", test::makeWav(0.3, 8000)));
    EXPECT_FALSE(output->isIdle());
    ASSERT_TRUE(waitUntilIdle());
    // A square wave: every sample of both channels is audible, for 0.3 s exactly once.
    const std::size_t wavAudible = countAudible(mixedSince(start));
    EXPECT_NEAR(static_cast<double>(wavAudible), 0.3 * 88200, 0.02 * 88200);

    const std::size_t midiStart = capture.size();
    output->playSoundFile(file("tune.mid", test::makeMidi(4)));
    EXPECT_FALSE(output->isIdle());
    ASSERT_TRUE(waitUntilIdle());
    const auto midi = mixedSince(midiStart);
    EXPECT_GT(countAudible(midi), 88200u / 4);
    // Four quarter-second notes and their release, not a second round.
    EXPECT_LT(lastAudible(midi) - firstAudible(midi), 3u * 88200);
}

TEST_F(SdlAudioOutputTest, WhatNamesNoPlayableFileGivesSilence) {
    const std::vector<Text> simple = {
        file("bell.wav", "This is a text file, not a sound.\n"),
        joinPath(folder.text(), "missing.wav"),
        utf8ToGbk("\xE9\x9F\xB3\xE9\xA2\x91\xE6\x96\x87\xE4\xBB\xB6\xE8\xB7\xAF\xE5\xBE\x84"
                  "src://"),  // 音频文件路径src://
        Text(),
        file("short.wav",
             std::string("RIFF\0\0\0\0WAV", 11)),  // 11 bytes: too short to be a WAV file
        file("broken.wav",
             std::string("RIFF\0\0\0\0WAVEjunk", 16)),  // the signature and nothing behind it
        file("broken.mid", "MThd garbage"),
        joinPath(folder.text(), ""),  // a folder
    };
    for (const Text& path : simple) {
        SCOPED_TRACE(gbkToUtf8(path));
        output->playSoundFile(path);
        EXPECT_TRUE(waitUntilIdle());
    }
    for (const Text& path :
         {joinPath(folder.text(), "missing.mp3"), file("notes.mp3", "hello"), Text()}) {
        SCOPED_TRACE(gbkToUtf8(path));
        output->playCompressedFile(path);
        EXPECT_TRUE(waitUntilIdle());
    }
    EXPECT_EQ(countAudible(nextSeconds(0, 0.5), 1), 0u);
}

TEST_F(SdlAudioOutputTest, ASecondPlayCutsOffTheFirst) {
    const std::size_t start = capture.size();
    output->playSoundFile(file("long.wav", test::makeWav(10, 8000)));
    ASSERT_TRUE(capture.waitForSize(start + kBytesPerSecond / 10));
    output->playSoundFile(file("short.wav", test::makeWav(0.2, 2000)));
    const std::size_t second = capture.size();
    ASSERT_TRUE(waitUntilIdle());
    const auto after = capture.samples(second + kInFlight);
    EXPECT_EQ(countAudible(after, 4000), 0u);  // nothing more of the loud first sound
    EXPECT_GT(countAudible(after, 1000), 0u);  // the second one sounds

    const std::size_t mp3 = capture.size();
    output->playCompressedFile(
        defaultRecording("01\xE5\xBC\x80\xE8\x80\x83\xE5\x89\x8D"
                         "15\xE5\x88\x86\xE9\x92\x9F.mp3"));  // 01开考前15分钟
    ASSERT_TRUE(capture.waitForSize(mp3 + kBytesPerSecond / 10));
    output->playCompressedFile(
        defaultRecording("07\xE7\xAE\x80\xE7\x9F\xAD\xE9\x93\x83\xE9\x9F\xB3.mp3"));  // 07简短铃音
    const std::size_t bell = capture.size();
    ASSERT_TRUE(waitUntilIdle());
    // The eleven-second announcement gave way to the bell of a second and a half.
    EXPECT_LT(capture.size() - bell, 3 * kBytesPerSecond);
    EXPECT_GT(countAudible(capture.samples(bell)), 0u);
}

TEST_F(SdlAudioOutputTest, StopSilencesBothPlayers) {
    const Text announcement = defaultRecording(
        "01\xE5\xBC\x80\xE8\x80\x83\xE5\x89\x8D"
        "15\xE5\x88\x86\xE9\x92\x9F.mp3");  // 01开考前15分钟.mp3
    for (const Text& simple :
         {file("long.wav", test::makeWav(10, 8000)), file("long.mid", test::makeMidi(40))}) {
        SCOPED_TRACE(gbkToUtf8(simple));
        const std::size_t start = capture.size();
        output->playSoundFile(simple);
        output->playCompressedFile(announcement);
        EXPECT_TRUE(waitUntilAudible(start));
        output->stopAllAudio();
        EXPECT_TRUE(output->isIdle());
        EXPECT_EQ(countAudible(nextSeconds(capture.size() + kInFlight, 1.0), 1), 0u);
    }
    output->stopAllAudio();  // with nothing playing
    EXPECT_TRUE(output->isIdle());
}

TEST_F(SdlAudioOutputTest, AStopOrANewerPlayWinsOverALongFileStillLoading) {
    const Text longWav = file("long.wav", test::makeWav(120, 8000));  // 10 MB to read and decode
    output->playSoundFile(longWav);
    output->stopAllAudio();
    EXPECT_TRUE(output->isIdle());
    EXPECT_EQ(countAudible(nextSeconds(capture.size(), 1.0)), 0u);

    const Text shortWav = file("short.wav", test::makeWav(0.2, 2000));
    output->playSoundFile(longWav);
    const std::size_t before = capture.size();
    output->playSoundFile(shortWav);
    const std::size_t start = capture.size();
    ASSERT_TRUE(waitUntilIdle());
    // Nothing loud after the second play; what was mixed before it lies within kUnflushed.
    EXPECT_EQ(countAudible(nextSeconds(start + kUnflushed, 1.0), 4000), 0u);
    // The quiet second sound, wherever a busy machine let it start.
    const auto samples = mixedSince(before);
    EXPECT_GT(countAudible(samples, 1000) - countAudible(samples, 4000), 0u);
}

TEST_F(SdlAudioOutputTest, BothPlayersSoundTogether) {
    const std::size_t start = capture.size();
    output->playSoundFile(file("long.wav", test::makeWav(2, 3000)));
    output->playCompressedFile(
        defaultRecording("07\xE7\xAE\x80\xE7\x9F\xAD\xE9\x93\x83\xE9\x9F\xB3.mp3"));  // 07简短铃音
    ASSERT_TRUE(waitUntilIdle());
    // The square wave alone never exceeds 3000; the bell on top of it does.
    const auto samples = mixedSince(start);
    EXPECT_GT(countAudible(samples, 3500), 0u);
    EXPECT_GT(lastAudible(samples) - firstAudible(samples), 88200u * 19 / 10);
}

TEST_F(SdlAudioOutputTest, LeavesTheTerminationSignalsToTheProgram) {
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
    }
}

TEST(SdlAudioOutputWithoutDevice, RunsOnSilentAndSaysSo) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    test::TempFolder folder;
    folder.write("bell.wav", test::makeWav(0.2, 8000));
    SdlAudioOutput output;
    EXPECT_FALSE(output.waitForDevice());
    EXPECT_EQ(output.playSoundFile(joinPath(folder.text(), "bell.wav")).outcome,
              PlayOutcome::NoDevice);
    EXPECT_EQ(output.playCompressedFile(joinPath(folder.text(), "bell.wav")).outcome,
              PlayOutcome::NoDevice);
    EXPECT_FALSE(output.isIdle());  // both wait for a device
    output.stopAllAudio();
    EXPECT_TRUE(output.isIdle());
    EXPECT_EQ(output.playSoundFile(joinPath(folder.text(), "missing.wav")).outcome,
              PlayOutcome::FileMissing);
    EXPECT_TRUE(output.isIdle());
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace exambell
