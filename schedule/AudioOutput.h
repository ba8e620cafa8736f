#pragma once
// The audio output the program needs: a simple player for WAV and MIDI files, one compressed-audio
// player for MP3, and one stop-all. Calls return at once and sound goes on in the background. The
// two players are independent and may sound together.
//
// Every play says what became of it. A play that was accepted can still fail later (a file that
// does not decode on the loader thread, a device lost while it sounds); that, and a play that was
// waiting for a device and started once one opened, comes as a PlayReport through the report
// handler, always on the event loop of the thread that made the output.

#include <cstdint>
#include <functional>
#include <utility>

#include "text/Text.h"

namespace exambell {

enum class PlayOutcome {
    Started,      // sounding, or accepted and loading (a later failure is reported)
    FileMissing,  // empty path, no such file, or not a regular file
    Undecodable,  // the file is there but its content is not something the player can sound
    // No device at the moment of the play. The sound waits a while for one: if a device opens in
    // time it starts then and a Started report follows; else (it gave up, or a stop or a newer
    // play of its player dropped it) a NoDevice report follows.
    NoDevice,
};

struct PlayResult {
    PlayOutcome outcome = PlayOutcome::Started;
    std::uint64_t id = 0;  // names the play in later reports; unique for the output's life
};

struct PlayReport {
    std::uint64_t id = 0;
    Text path;
    PlayOutcome outcome = PlayOutcome::Started;
};

class AudioOutput {
  public:
    using ReportHandler = std::function<void(const PlayReport&)>;
    using DeviceHandler = std::function<void(bool open)>;

    virtual ~AudioOutput() = default;
    // Plays the file once when its content is WAV ("RIFF" at 0, "WAVE" at 8, more than 11 bytes)
    // or MIDI ("MThd" at 0, more than 4 bytes); anything else, a missing file or an empty path
    // plays nothing. Replaces whatever the simple player was sounding or waiting to sound.
    virtual PlayResult playSoundFile(const Text& path) = 0;
    // Releases the compressed-audio player and plays the MP3 file once in a new one.
    virtual PlayResult playCompressedFile(const Text& path) = 0;
    // Releases the compressed-audio player and stops the simple player; once it returns, neither
    // sounds and no sound waits for a device. Does nothing when nothing plays.
    virtual void stopAllAudio() = 0;
    // True when neither player is sounding (or about to: a file still loading counts as sounding).
    virtual bool isIdle() const = 0;

    // Whether an output device is open now.
    virtual bool isDeviceOpen() const = 0;
    // Tries again to open a device when none is open (a run start does); returns at once, the
    // outcome comes through the device handler.
    virtual void retryDevice() {}
    // Whether an attempt to open a device is still under way (so isDeviceOpen may yet change).
    virtual bool isDeviceOpening() const { return false; }

    // The handlers run on the event loop; set them before the first play.
    void setReportHandler(ReportHandler handler) { reportHandler_ = std::move(handler); }
    // Called when the first attempt to open a device has ended, whenever isDeviceOpen() changes
    // after that, and when the attempt that follows a lost device fails (the loss itself is told
    // while that attempt is under way, when isDeviceOpening() is still true).
    void setDeviceHandler(DeviceHandler handler) { deviceHandler_ = std::move(handler); }

  protected:
    void report(const PlayReport& report) const {
        if (reportHandler_) {
            reportHandler_(report);
        }
    }
    void deviceChanged(bool open) const {
        if (deviceHandler_) {
            deviceHandler_(open);
        }
    }

  private:
    ReportHandler reportHandler_;
    DeviceHandler deviceHandler_;
};

}  // namespace exambell
