// The cue rows' buttons on the real main window: 修改N, 试听N and 停止播放按钮.
#include "schedule/CueAudio.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <deque>
#include <thread>

#include "app/MainWindowBinder.h"
#include "schedule/SdlAudioOutput.h"
#include "tests/schedule/TestSounds.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowAdapter.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

class RecordingAudio : public AudioOutput {
  public:
    PlayResult playSoundFile(const Text& path) override {
        calls.push_back("sound " + gbkToUtf8(path));
        return {};
    }
    PlayResult playCompressedFile(const Text& path) override {
        calls.push_back("compressed " + gbkToUtf8(path));
        return {};
    }
    void stopAllAudio() override { calls.push_back("stop"); }
    bool isIdle() const override { return true; }
    bool isDeviceOpen() const override { return true; }

    std::vector<std::string> calls;
};

// Open-file answers from a script; records what each dialog was opened with.
class ScriptedFileDialogs : public Dialogs {
  public:
    struct Opened {
        std::string filter, folder, fileName;
    };

    int message(const Text& text, MessageButtons, MessageIcon, const DialogOwner*,
                const Text&) override {
        messages.push_back(gbkToUtf8(text));
        return kOk;
    }
    std::optional<Text> openFile(const Text& filter, const Text& folder, const Text& fileName,
                                 const DialogOwner*) override {
        opened.push_back({gbkToUtf8(filter), gbkToUtf8(folder), gbkToUtf8(fileName)});
        std::optional<Text> answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return answer;
    }

    std::deque<std::optional<Text>> answers;  // nullopt: the operator cancels
    std::vector<Opened> opened;
    std::vector<std::string> messages;
};

QPushButton* button(MainWindow& window, const char* utf8Name) {
    auto* found = window.findChild<QPushButton*>(QString::fromUtf8(utf8Name));
    EXPECT_NE(found, nullptr) << utf8Name;
    return found;
}

void typePath(MainWindow& window, int cue, const std::string& utf8) {
    window.cuePath[cue]->lineEdit()->setText(QString::fromStdString(utf8));
}

class CueAudioWindow : public testing::Test {
  protected:
    CueAudioWindow() {
        window.fileDialog.setFilter(g("音乐文件(*.mp3;*.wav;*.mid)|*.mp3;*.wav;*.mid"));
        window.fileDialog.setInitialFolder(g("/exambell/语音文件库"));
        for (int n = 1; n <= kCueCount; ++n) {
            window.cuePath[n]->setText(g("/exambell/语音文件库/0") + std::to_string(n) + ".mp3");
        }
    }

    MainWindow window;
    MainWindowAdapter rows{window};
    RecordingAudio audio;
    ScriptedFileDialogs dialogs;
    CueAudio cueAudio{rows, window.fileDialog, audio, dialogs};
    QObject bindings;
    bool bound = (MainWindowBinder::bindCueRows(window, cueAudio, bindings), true);
};

TEST_F(CueAudioWindow, OneRememberedFileNameForAllCuesAndCancelKeepsThePath) {
    dialogs.answers = {g("/home/exam/铃声/上课.wav"), std::nullopt};
    button(window, "修改2")->click();
    EXPECT_EQ(gbkToUtf8(window.cuePath[2]->text()), "/home/exam/铃声/上课.wav");

    button(window, "修改5")->click();
    EXPECT_EQ(gbkToUtf8(window.cuePath[5]->text()), "/exambell/语音文件库/05.mp3");
    ASSERT_EQ(dialogs.opened.size(), 2u);
    EXPECT_EQ(dialogs.opened[0].fileName, "");
    EXPECT_EQ(dialogs.opened[1].fileName, "/home/exam/铃声/上课.wav");
    EXPECT_EQ(dialogs.opened[1].filter, "音乐文件(*.mp3;*.wav;*.mid)|*.mp3;*.wav;*.mid");
    EXPECT_EQ(dialogs.opened[1].folder, "/exambell/语音文件库");
    EXPECT_TRUE(audio.calls.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CueAudioWindow, ChosenFileIsNotExaminedAndTheCueStaysAsItWas) {
    window.cueEnabled[3]->setChecked(false);
    dialogs.answers = {g("/nowhere/notes.txt")};
    button(window, "修改3")->click();
    EXPECT_EQ(gbkToUtf8(window.cuePath[3]->text()), "/nowhere/notes.txt");
    EXPECT_FALSE(window.cueEnabled[3]->checked());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CueAudioWindow, TheLettersMp3InTheFileNameChooseTheCompressedPlayer) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/exambell/语音文件库/04开考.mp3", "compressed"},
        {"/music/BELL.MP3", "compressed"},
        {"/music/mp3copy.wav", "compressed"},
        {"/music/Mp3/bell.wav", "sound"},  // only the file name counts, not the folder
        {"/music/bell.wav", "sound"},
        {"/music/tune.mid", "sound"},
        {"音频文件路径src://", "sound"},  // no file name at all
        {"bell.mp3", "sound"},            // no separator: no file name, as in the reminder list
        {"", "sound"},
    };
    for (const auto& [path, player] : cases) {
        SCOPED_TRACE(path);
        audio.calls.clear();
        typePath(window, 6, path);
        button(window, "试听6")->click();
        EXPECT_EQ(audio.calls, (std::vector<std::string>{"stop", player + " " + path}));
    }
}

TEST_F(CueAudioWindow, TestPlayUsesThePathBoxAsTypedEvenForADisabledCue) {
    window.cueEnabled[1]->setChecked(false);
    typePath(window, 1, "/music/typed.wav");
    button(window, "试听1")->click();
    button(window, "试听3")->click();
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"stop", "sound /music/typed.wav", "stop",
                                                     "compressed /exambell/语音文件库/03.mp3"}));
    EXPECT_FALSE(window.cueEnabled[1]->checked());
}

TEST_F(CueAudioWindow, StopButtonStopsAndPlaysNothing) {
    button(window, "停止播放按钮")->click();
    EXPECT_EQ(audio.calls, std::vector<std::string>{"stop"});
}

TEST_F(CueAudioWindow, PlayCueIgnoresNumbersOutsideTheRows) {
    cueAudio.playCue(0);
    cueAudio.playCue(8);
    cueAudio.chooseCueFile(0);
    EXPECT_TRUE(audio.calls.empty());
    EXPECT_TRUE(dialogs.opened.empty());
}

// The whole path from the test button to the mixed samples.
TEST(CueAudioSound, ATestPlayCutsOffTheCueThatIsSounding) {
    test::TempFolder folder;
    test::DiskAudioCapture capture(folder.path());
    SdlAudioOutput output;
    ASSERT_TRUE(output.waitForDevice());
    MainWindow window;
    MainWindowAdapter rows(window);
    ScriptedFileDialogs dialogs;
    CueAudio cueAudio(rows, window.fileDialog, output, dialogs);
    QObject bindings;
    MainWindowBinder::bindCueRows(window, cueAudio, bindings);
    folder.write("quiet.wav", test::makeWav(0.3, 2000));
    window.cuePath[1]->setText(
        joinPath(utf8ToGbk(EXAMBELL_DATA_DIR "/语音文件库"), g("01开考前15分钟.mp3")));
    window.cuePath[3]->setText(joinPath(folder.text(), "quiet.wav"));

    const std::size_t start = capture.size();
    button(window, "试听1")->click();
    ASSERT_TRUE(capture.waitForSize(start + test::DiskAudioCapture::kBytesPerSecond));
    EXPECT_GT(test::countAudible(capture.samples(start), 4000), 0u);  // the announcement

    button(window, "试听3")->click();
    const std::size_t cut = capture.size() + 2 * 512 * 4;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!output.isIdle() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto after = capture.samples(cut);
    EXPECT_EQ(test::countAudible(after, 2100), 0u);  // nothing louder than the quiet tone
    EXPECT_GT(test::countAudible(after, 1900), 0u);  // and the tone itself
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace exambell
