#pragma once
// The room pages seen from the office: the 考场状态 window (opened from the exam-room clock's
// setup window), the run's extra-time groups (config.ini, section "extra_time", key "groups":
// the names joined by "、") and each room's group (kept while the program runs), the feed the
// display server answers room pages from, and the main window's notice when a room page falls
// silent during a run.
//
// DisplayBinder calls tick() on every second of the clock it follows, after publishing the
// clock itself.

#include <QPointer>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "display/DisplayServer.h"
#include "display/ExtraTime.h"
#include "display/RoomList.h"

namespace exambell {

class MainWindow;
class RoomStatusWindow;

class RoomStatusBinder {
  public:
    // prepareConfig is called before a write when config.ini does not exist yet (see
    // DisplayBinder::Hooks).
    RoomStatusBinder(MainWindow& main, Text configPath, std::function<void()> prepareConfig);
    ~RoomStatusBinder();
    RoomStatusBinder(const RoomStatusBinder&) = delete;
    RoomStatusBinder& operator=(const RoomStatusBinder&) = delete;

    // Reads the groups from config.ini (start-up, and after an import or a reset).
    void applyConfig();

    // One second: the feed for the room pages (server may be null: the page is off), then the
    // window and the notice from the room list as it stands at now.
    void tick(const LocalTime& now, const std::vector<DisplayExam>& exams,
              const std::vector<RoomCueSwitches>& switches, bool runActive, DisplayServer* server);

    void openWindow();
    RoomStatusWindow* window() const;

    // Sets the groups from a list as the operator writes it; false (and the message shown in the
    // window) when a name is no group or config.ini could not be written.
    bool setGroups(const Text& list);
    // Puts a room into a group (by its name; "" for none).
    void assignRoom(const Text& room, const Text& group);
    const std::vector<ExtraTimeGroup>& groups() const { return groups_; }

    // The rooms as last seen, silent ones marked.
    const std::vector<RoomEntry>& rooms() const { return rooms_; }
    // "在线 3 个考场，失去联系 1 个" (GBK); "" while no room page has reported.
    Text summary() const;

  private:
    void showRooms();
    void showGroups();
    void showGroupCues();
    void noticeSilentRooms();
    void assignChosen();
    Text groupOf(const Text& room) const;

    MainWindow& main_;
    Text configPath_;
    std::function<void()> prepareConfig_;
    std::vector<ExtraTimeGroup> groups_;
    std::map<Text, Text> roomGroups_;  // room -> group name
    std::vector<RoomEntry> rooms_;
    RoomFeed lastFeed_;
    bool runActive_ = false;
    std::set<Text> noticed_;  // rooms silent during this run whose notice is out
    QPointer<RoomStatusWindow> window_;
};

}  // namespace exambell
