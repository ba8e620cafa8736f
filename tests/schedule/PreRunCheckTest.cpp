// The check before a run: every enabled cue's file decoded whole, the device, the clock; and the
// one message that lists the problems.
#include <gtest/gtest.h>

#include "schedule/CueFileProbe.h"
#include "schedule/PreRunCheck.h"
#include "tests/schedule/TestSounds.h"
#include "tests/support/FakeInhibitor.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

Text shipped(const char* utf8Name) {
    return joinPath(utf8ToGbk(EXAMBELL_DATA_DIR "/语音文件库"), utf8ToGbk(utf8Name));
}

class Output : public AudioOutput {
  public:
    PlayResult playSoundFile(const Text&) override { return {}; }
    PlayResult playCompressedFile(const Text&) override { return {}; }
    void stopAllAudio() override {}
    bool isIdle() const override { return true; }
    bool isDeviceOpen() const override { return open; }
    void retryDevice() override { ++retries; }
    bool open = true;
    int retries = 0;
};

class PreRunCheckTest : public testing::Test {
  protected:
    Text file(const std::string& name, const std::string& bytes) const {
        folder.write(name, bytes);
        return joinPath(folder.text(), name);
    }
    test::TempFolder folder;
    Output audio;
    test::FakeClockSync clock;
    PreRunCheck check{audio, clock};
};

TEST_F(PreRunCheckTest, FilesThatDecodeWithADeviceAndASynchronisedClockGiveNoProblem) {
    const std::vector<CueFileToCheck> cues = {
        {utf8ToGbk("开考"), shipped("04开考.mp3")},
        {utf8ToGbk("结束"), file("bell.wav", test::makeWav(0.2, 8000))},
        {utf8ToGbk("每隔15分钟"), file("tune.mid", test::makeMidi(2))},
        // The compressed-audio player takes WAV content under a name with "mp3".
        {utf8ToGbk("开考前5分钟"), file("mp3copy.wav", test::makeWav(0.2, 8000))},
    };
    EXPECT_TRUE(check.run(cues).empty());
    EXPECT_EQ(audio.retries, 1);  // a run start tries the device again
    EXPECT_EQ(clock.queries, 1);
    clock.state = ClockSyncState::Unknown;  // no service to ask: no problem either
    EXPECT_TRUE(check.run(cues).empty());
}

TEST_F(PreRunCheckTest, EveryProblemIsListedInOneMessageThatOffersToStartAnyway) {
    audio.open = false;
    clock.state = ClockSyncState::NotSynchronised;
    const std::vector<CueFileToCheck> cues = {
        {utf8ToGbk("开考"), shipped("04开考.mp3")},
        {utf8ToGbk("开考前15分钟"), joinPath(folder.text(), "gone.mp3")},
        {utf8ToGbk("开考前8分钟"), file("notes.mp3", "ID3 and then nothing that decodes")},
        {utf8ToGbk("结束前15分钟"), file("text.wav", "This is a text file.\n")},
        {utf8ToGbk("结束"), file("cut.mid", test::makeMidi(4).substr(0, 30))},
    };
    const std::vector<RunProblem> problems = check.run(cues);
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_EQ(problems[0].kind, RunProblem::Kind::NoDevice);
    EXPECT_EQ(problems[1].kind, RunProblem::Kind::FileMissing);
    EXPECT_EQ(problems[2].kind, RunProblem::Kind::Undecodable);
    EXPECT_EQ(problems[3].kind, RunProblem::Kind::Undecodable);
    EXPECT_EQ(problems[4].kind, RunProblem::Kind::Undecodable);
    EXPECT_EQ(problems[5].kind, RunProblem::Kind::ClockNotSynchronised);
    EXPECT_EQ(gbkToUtf8(runProblemsMessage(problems)),
              "开始运行前检查发现以下问题：\r\n"
              "1. 没有可用的音频设备，提醒将无法播放\r\n"
              "2. 开考前15分钟 的音频文件不存在：gone.mp3\r\n"
              "3. 开考前8分钟 的音频文件无法解码：notes.mp3\r\n"
              "4. 结束前15分钟 的音频文件无法解码：text.wav\r\n"
              "5. 结束 的音频文件无法解码：cut.mid\r\n"
              "6. 系统时钟未与网络时间同步，提醒的时刻可能不准\r\n"
              "是否仍然开始运行？");
}

TEST(CueFileProbe, TheContentDecidesNotTheName) {
    test::TempFolder folder;
    folder.write("real.wav", test::makeWav(0.1, 8000));
    folder.write("song.mid", test::makeMidi(1));
    const Text wav = joinPath(folder.text(), "real.wav");
    const Text mid = joinPath(folder.text(), "song.mid");
    const Text mp3 = shipped("07简短铃音.mp3");
    EXPECT_EQ(probeCueFile(wav, CuePlayer::Simple), PlayOutcome::Started);
    EXPECT_EQ(probeCueFile(mid, CuePlayer::Simple), PlayOutcome::Started);
    EXPECT_EQ(probeCueFile(mp3, CuePlayer::Compressed), PlayOutcome::Started);
    // The simple player sounds WAV and MIDI content only.
    EXPECT_EQ(probeCueFile(mp3, CuePlayer::Simple), PlayOutcome::Undecodable);
    EXPECT_EQ(probeCueFile(folder.text(), CuePlayer::Simple), PlayOutcome::FileMissing);
    EXPECT_EQ(cuePlayerFor(utf8ToGbk("/a/BELL.MP3")), CuePlayer::Compressed);
    EXPECT_EQ(cuePlayerFor(utf8ToGbk("/a/mp3/bell.wav")), CuePlayer::Simple);  // the name decides
}

TEST(CueFileProbe, AMidiFileMustBeWellFormedAndHoldANote) {
    const std::string good = test::makeMidi(3);
    EXPECT_TRUE(isPlayableMidi(good));
    for (std::size_t cut : {good.size() - 1, std::size_t{22}, std::size_t{14}}) {
        EXPECT_FALSE(isPlayableMidi(good.substr(0, cut))) << cut;
    }
    // A header and an empty track: nothing to sound.
    const std::string silent =
        std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\xFF\x2F\0", 26);
    EXPECT_FALSE(isPlayableMidi(silent));
    std::string badEvent = good;
    badEvent[23] = '\xF3';  // the first event's status: a system message has no place in a file
    EXPECT_FALSE(isPlayableMidi(badEvent));
}

}  // namespace
}  // namespace exambell
