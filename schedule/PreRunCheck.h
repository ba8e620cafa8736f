#pragma once
// The check before a run, after the run's own checks and before its confirmation: is an output
// device open, does every enabled cue's file exist and decode (decoded whole on a worker thread,
// not judged by its name), and is the system clock kept right by network time. Problems are
// listed, not fatal: the operator may start anyway.

#include <vector>

#include "platform/ClockSync.h"
#include "schedule/AudioOutput.h"
#include "schedule/CueFileProbe.h"
#include "text/Text.h"

namespace exambell {

struct CueFileToCheck {
    Text caption;  // the cue's caption, e.g. 开考 (GBK)
    Text path;     // the text of its path box
};

struct RunProblem {
    enum class Kind { NoDevice, FileMissing, Undecodable, ClockNotSynchronised };
    Kind kind = Kind::NoDevice;
    Text caption;  // the cue's, for the file problems
    Text path;
};

// The player a cue's path goes to: the compressed-audio one when its file name holds the letters
// "mp3" in any case (the name decides, as when it plays).
CuePlayer cuePlayerFor(const Text& path);

class PreRunCheck {
  public:
    // How long the check waits for a device being opened and for the clock's answer.
    static constexpr int kWaitMilliseconds = 3000;

    // Both must outlive the check.
    PreRunCheck(AudioOutput& audio, ClockSync& clockSync);

    // Tries the device again, decodes the files and asks about the clock, processing window
    // events while it waits (the one-second tick goes on). Problems in the order: device, files
    // in the order given, clock. An unknown clock state is no problem.
    std::vector<RunProblem> run(const std::vector<CueFileToCheck>& cues);

  private:
    AudioOutput& audio_;
    ClockSync& clockSync_;
};

// One message listing the problems and asking whether to start anyway (for Yes/No buttons).
Text runProblemsMessage(const std::vector<RunProblem>& problems);

}  // namespace exambell
