#include "schedule/PreRunCheck.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {

namespace {

// Names holding these letters, in any case, go to the compressed-audio player.
constexpr std::string_view kCompressedMark = "mp3";
// How often the wait looks whether a device being opened has settled.
constexpr int kDevicePollMilliseconds = 10;

const Text& problemsHeading() {
    static const Text text = utf8ToGbk("开始运行前检查发现以下问题：");
    return text;
}
const Text& noDeviceText() {
    static const Text text = utf8ToGbk("没有可用的音频设备，提醒将无法播放");
    return text;
}
const Text& fileMissingText() {
    static const Text text = utf8ToGbk(" 的音频文件不存在：");
    return text;
}
const Text& undecodableText() {
    static const Text text = utf8ToGbk(" 的音频文件无法解码：");
    return text;
}
const Text& clockText() {
    static const Text text = utf8ToGbk("系统时钟未与网络时间同步，提醒的时刻可能不准");
    return text;
}
const Text& startAnywayText() {
    static const Text text = utf8ToGbk("是否仍然开始运行？");
    return text;
}

}  // namespace

CuePlayer cuePlayerFor(const Text& path) {
    return findText(fileNamePart(path), kCompressedMark, 1, true) > 0 ? CuePlayer::Compressed
                                                                      : CuePlayer::Simple;
}

PreRunCheck::PreRunCheck(AudioOutput& audio, ClockSync& clockSync)
    : audio_(audio), clockSync_(clockSync) {}

std::vector<RunProblem> PreRunCheck::run(const std::vector<CueFileToCheck>& cues) {
    audio_.retryDevice();

    std::vector<CuePlayer> players;
    for (const CueFileToCheck& cue : cues) {
        players.push_back(cuePlayerFor(cue.path));
    }
    std::vector<PlayOutcome> outcomes(cues.size(), PlayOutcome::Started);
    QEventLoop loop;
    QObject context;  // events posted to it are dropped with it
    bool filesDone = false;
    // The clock's answer may come after the wait has run out and this frame is gone.
    auto answer = std::make_shared<std::optional<ClockSyncState>>();
    std::optional<ClockSyncState>& clock = *answer;
    bool deviceDone = !audio_.isDeviceOpening();
    auto quitWhenDone = [&] {
        if (filesDone && clock && deviceDone) {
            loop.quit();
        }
    };

    // The files are decoded whole on a worker; the window's thread waits in an event loop.
    std::thread worker;
    try {
        worker = std::thread([&] {
            for (std::size_t i = 0; i < cues.size(); ++i) {
                outcomes[i] = probeCueFile(cues[i].path, players[i]);
            }
            QMetaObject::invokeMethod(
                &context,
                [&] {
                    filesDone = true;
                    quitWhenDone();
                },
                Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        for (std::size_t i = 0; i < cues.size(); ++i) {
            outcomes[i] = probeCueFile(cues[i].path, players[i]);
        }
        filesDone = true;
    }
    clockSync_.query(
        [answer, alive = QPointer<QObject>(&context), &quitWhenDone](ClockSyncState state) {
            if (!*answer) {
                *answer = state;
            }
            if (alive) {
                quitWhenDone();
            }
        });

    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &context, [&] {
        const bool late = waited.elapsed() >= kWaitMilliseconds;
        deviceDone = deviceDone || !audio_.isDeviceOpening() || late;
        if (!clock && late) {
            clock = ClockSyncState::Unknown;
        }
        quitWhenDone();
    });
    poll.start(kDevicePollMilliseconds);
    if (!(filesDone && clock && deviceDone)) {
        loop.exec();
    }
    if (worker.joinable()) {
        worker.join();
    }

    std::vector<RunProblem> problems;
    if (!audio_.isDeviceOpen()) {
        problems.push_back(RunProblem{RunProblem::Kind::NoDevice, Text(), Text()});
    }
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const CueFileToCheck& cue = cues[i];
        if (outcomes[i] == PlayOutcome::FileMissing) {
            problems.push_back(RunProblem{RunProblem::Kind::FileMissing, cue.caption, cue.path});
        } else if (outcomes[i] == PlayOutcome::Undecodable) {
            problems.push_back(RunProblem{RunProblem::Kind::Undecodable, cue.caption, cue.path});
        }
    }
    if (clock == ClockSyncState::NotSynchronised) {
        problems.push_back(RunProblem{RunProblem::Kind::ClockNotSynchronised, Text(), Text()});
    }
    return problems;
}

Text runProblemsMessage(const std::vector<RunProblem>& problems) {
    Text message = problemsHeading();
    int number = 0;
    for (const RunProblem& problem : problems) {
        message += "\r\n";
        message += toText(++number) + ". ";
        switch (problem.kind) {
            case RunProblem::Kind::NoDevice:
                message += noDeviceText();
                break;
            case RunProblem::Kind::FileMissing:
                message += problem.caption + fileMissingText() + fileNamePart(problem.path);
                break;
            case RunProblem::Kind::Undecodable:
                message += problem.caption + undecodableText() + fileNamePart(problem.path);
                break;
            case RunProblem::Kind::ClockNotSynchronised:
                message += clockText();
                break;
        }
    }
    message += "\r\n";
    message += startAnywayText();
    return message;
}

}  // namespace exambell
