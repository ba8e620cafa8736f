#pragma once
// What the display server offers room pages beyond the clock: GET /room, the clock as one room
// sees it (its extra-time group's exams, its cues of the run with their moments in office time,
// which recordings it can load) that also takes the page's report into the room list; and
// GET /cue/N, the recording of cue N as it is (MP3, WAV). A MIDI recording is not served: the
// page says that cue stays silent.
//
// Thread-safe: the window's thread publishes a RoomFeed once a second and reads the room list;
// the server's workers answer pages. Nothing a page sends reaches anything but the room list:
// no names of candidates, no settings, no file names go out (a recording is named by its cue
// number and a version).

#include <QByteArray>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "display/DisplayState.h"
#include "display/ExtraTime.h"
#include "display/RoomList.h"

namespace exambell {

// What the window's thread hands over once a second.
struct RoomFeed {
    // The groups of the run, and each room's group (an index into groups).
    std::vector<ExtraTimeGroup> groups;
    std::map<Text, std::size_t> roomGroups;
    // Index 0: the school's times; index g + 1: groups[g]. Both vectors hold groups.size() + 1.
    std::vector<DisplayState> states;
    std::vector<std::vector<RoomCue>> cues;  // empty while no run is active
    bool runActive = false;
    // The path (GBK) of each cue's recording, cue 1 at index 0; "" for none.
    std::array<Text, kRoomCueCount> recordings{};
};

// Feeds for a moment: the exams (and each exam's cue switches) the clock follows, the groups and
// rooms, the recordings. Cues from now on when runActive.
RoomFeed makeRoomFeed(const std::vector<DisplayExam>& exams,
                      const std::vector<RoomCueSwitches>& switches, bool runActive,
                      std::vector<ExtraTimeGroup> groups, std::map<Text, std::size_t> roomGroups,
                      const std::array<Text, kRoomCueCount>& recordings, const LocalTime& now);

class RoomService {
  public:
    // Recordings larger than this are not served (the page says it could not load them).
    static constexpr std::int64_t kMaxRecordingBytes = 16 * 1024 * 1024;

    struct Answer {
        int status = 404;
        QByteArray body;
        std::string type;
    };
    using Params = std::multimap<std::string, std::string>;

    RoomService();
    ~RoomService();
    RoomService(const RoomService&) = delete;
    RoomService& operator=(const RoomService&) = delete;

    void publish(RoomFeed feed);
    // Whether path is one of this service's (then answer serves it).
    static bool serves(const std::string& path);
    // The answer to GET path from peer, at officeMs (the server's local milliseconds).
    Answer answer(const std::string& path, const Params& params, const std::string& peer,
                  std::int64_t officeMs);

    std::vector<RoomEntry> rooms(std::int64_t officeMs) const;
    void clearRooms();

  private:
    struct Recording;
    Answer roomAnswer(const Params& params, const std::string& peer, std::int64_t officeMs);
    Answer recordingAnswer(const std::string& path);
    std::shared_ptr<const Recording> recording(int cue);

    mutable std::mutex lock_;
    std::shared_ptr<const RoomFeed> feed_;
    RoomList rooms_;

    std::mutex recordingsLock_;  // held while a recording is looked up or read
    std::array<std::shared_ptr<const Recording>, kRoomCueCount> recordings_{};
};

}  // namespace exambell
