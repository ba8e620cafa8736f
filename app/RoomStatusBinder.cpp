#include "app/RoomStatusBinder.h"

#include <QTreeWidget>
#include <algorithm>
#include <cmath>

#include "settings/ExamSettings.h"
#include "settings/ProfileStore.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/RoomStatusWindow.h"

namespace exambell {
namespace {

constexpr const char* kSection = "extra_time";
constexpr const char* kGroupsKey = "groups";
constexpr std::int64_t kMsPerDay = 86400000;

const Text& noGroupText() {
    static const Text text = utf8ToGbk("不延时");
    return text;
}
Text badGroupText(const Text& name) {
    return utf8ToGbk("“") + name + utf8ToGbk("”不是延时组：请写成“延时30%”或“延时20分钟”，最多 ") +
           toText(static_cast<int>(kMaxExtraTimeGroups)) + utf8ToGbk(" 组");
}
const Text& notRememberedText() {
    static const Text text = utf8ToGbk("无法写入配置文件：下次启动时不会记住延时组");
    return text;
}
const Text& chooseRoomText() {
    static const Text text = utf8ToGbk("请先在列表中选中一个考场");
    return text;
}
// The notice of a room page silent during a run.
Text silentNotice(const RoomEntry& room) {
    return utf8ToGbk("考场 ") + room.room + utf8ToGbk(" 的网页已超过 10 秒没有联系（地址 ") +
           Text(room.address) + utf8ToGbk("）：请查看该考场的屏幕");
}

Text soundText(RoomSound sound) {
    switch (sound) {
        case RoomSound::On:
            return utf8ToGbk("已开启");
        case RoomSound::Off:
            return utf8ToGbk("未开启");
        case RoomSound::Failed:
            return utf8ToGbk("录音未载入");
        case RoomSound::Unknown:
            break;
    }
    return utf8ToGbk("未知");
}

Text clockOf(std::int64_t ms) {
    const std::int64_t s = ((ms / 1000) % 86400 + 86400) % 86400;
    return twoDigits(s / 3600) + ":" + twoDigits(s / 60 % 60) + ":" + twoDigits(s % 60);
}

Text milliseconds(double ms) {
    const auto rounded = static_cast<std::int64_t>(std::llround(ms));
    return rounded > 0 ? "+" + toText(rounded) : toText(rounded);
}

// The page's last cue: "结束 10:45:00 +12 毫秒", or "… 未播放".
Text lastCueText(const RoomEntry& r) {
    if (r.lastCue == 0) {
        return {};
    }
    return cueCaption(r.lastCue) + " " + clockOf(r.lastCueAtMs) + " " +
           (r.lastCueMissed
                ? utf8ToGbk("未播放")
                : milliseconds(static_cast<double>(r.lastCueErrorMs)) + utf8ToGbk(" 毫秒"));
}

void setRows(ReportList& list, int count) {
    while (list.rowCount() > count) {
        delete list.tree()->takeTopLevelItem(list.rowCount() - 1);
    }
    while (list.rowCount() < count) {
        list.addRow();
    }
}

}  // namespace

RoomStatusBinder::RoomStatusBinder(MainWindow& main, Text configPath,
                                   std::function<void()> prepareConfig)
    : main_(main), configPath_(std::move(configPath)), prepareConfig_(std::move(prepareConfig)) {}

RoomStatusBinder::~RoomStatusBinder() {
    delete window_.data();
}

void RoomStatusBinder::applyConfig() {
    Text bad;
    if (!parseExtraTimeGroups(ProfileStore::read(configPath_, kSection, kGroupsKey, ""), groups_,
                              bad)) {
        groups_.clear();
    }
    showGroups();
}

bool RoomStatusBinder::setGroups(const Text& list) {
    std::vector<ExtraTimeGroup> groups;
    Text bad;
    Text message;
    bool ok = parseExtraTimeGroups(list, groups, bad);
    if (!ok) {
        message = badGroupText(bad);
    } else {
        groups_ = std::move(groups);
        // A room whose group is gone sits the ordinary times again.
        std::erase_if(roomGroups_, [this](const auto& r) {
            return std::none_of(groups_.begin(), groups_.end(),
                                [&](const ExtraTimeGroup& g) { return g.name == r.second; });
        });
        if (prepareConfig_) {
            prepareConfig_();
        }
        if (!ProfileStore::write(configPath_, kSection, kGroupsKey, extraTimeGroupsText(groups_))) {
            message = notRememberedText();
            ok = false;
        }
    }
    showGroups();
    showRooms();
    if (window_) {
        window_->messageLabel->setCaption(message);
    }
    return ok;
}

void RoomStatusBinder::assignRoom(const Text& room, const Text& group) {
    const bool known = std::any_of(groups_.begin(), groups_.end(),
                                   [&](const ExtraTimeGroup& g) { return g.name == group; });
    if (known) {
        roomGroups_[room] = group;
    } else {
        roomGroups_.erase(room);
    }
    showRooms();
}

Text RoomStatusBinder::groupOf(const Text& room) const {
    auto it = roomGroups_.find(room);
    return it == roomGroups_.end() ? Text() : it->second;
}

void RoomStatusBinder::tick(const LocalTime& now, const std::vector<DisplayExam>& exams,
                            const std::vector<RoomCueSwitches>& switches, bool runActive,
                            DisplayServer* server) {
    if (runActive != runActive_) {
        runActive_ = runActive;
        noticed_.clear();
    }
    std::map<Text, std::size_t> indices;
    for (const auto& [room, group] : roomGroups_) {
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            if (groups_[g].name == group) {
                indices[room] = g;
            }
        }
    }
    std::array<Text, kRoomCueCount> recordings{};
    for (int n = 1; n <= kCueCount && n <= kRoomCueCount; ++n) {
        recordings[static_cast<std::size_t>(n - 1)] = main_.cuePath[n]->text();
    }
    lastFeed_ =
        makeRoomFeed(exams, switches, runActive, groups_, std::move(indices), recordings, now);
    if (server && server->running()) {
        server->rooms().publish(lastFeed_);
        rooms_ = server->rooms().rooms(localEpochMilliseconds(now));
    } else {
        rooms_.clear();
    }
    noticeSilentRooms();
    showRooms();
    showGroupCues();
}

void RoomStatusBinder::noticeSilentRooms() {
    for (const RoomEntry& r : rooms_) {
        if (!r.silent) {
            noticed_.erase(r.room);
        } else if (runActive_ && noticed_.insert(r.room).second) {
            main_.missNotice->addNotice(silentNotice(r));
        }
    }
}

Text RoomStatusBinder::summary() const {
    if (rooms_.empty()) {
        return {};
    }
    const auto silent =
        std::count_if(rooms_.begin(), rooms_.end(), [](const RoomEntry& r) { return r.silent; });
    return utf8ToGbk("在线 ") + toText(static_cast<std::int64_t>(rooms_.size()) - silent) +
           utf8ToGbk(" 个考场，失去联系 ") + toText(static_cast<std::int64_t>(silent)) +
           utf8ToGbk(" 个");
}

void RoomStatusBinder::openWindow() {
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return;
    }
    window_ = new RoomStatusWindow(&main_);
    window_->setAttribute(Qt::WA_DeleteOnClose);
    RoomStatusWindow& w = *window_;
    QObject::connect(w.applyGroupsButton, &Button::clicked, w.applyGroupsButton,
                     [this] { setGroups(window_->groupsEdit->text()); });
    QObject::connect(w.assignButton, &Button::clicked, w.assignButton, [this] { assignChosen(); });
    w.groupsEdit->setText(extraTimeGroupsText(groups_));
    showGroups();
    showRooms();
    showGroupCues();
    w.show();
}

RoomStatusWindow* RoomStatusBinder::window() const {
    return window_.data();
}

void RoomStatusBinder::assignChosen() {
    if (!window_) {
        return;
    }
    const int row =
        window_->roomList->tree()->indexOfTopLevelItem(window_->roomList->tree()->currentItem());
    if (row < 0 || row >= static_cast<int>(rooms_.size())) {
        window_->messageLabel->setCaption(chooseRoomText());
        return;
    }
    window_->messageLabel->setCaption(Text());
    const int choice = window_->groupChoice->currentIndex();
    assignRoom(rooms_[static_cast<std::size_t>(row)].room,
               choice <= 0 ? Text() : window_->groupChoice->itemText(choice));
    showGroupCues();
}

void RoomStatusBinder::showGroups() {
    if (!window_) {
        return;
    }
    ComboBox& choice = *window_->groupChoice;
    const Text chosen = choice.text();
    choice.clear();
    choice.addItem(noGroupText(), 0);
    int index = 0;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const int i = choice.addItem(groups_[g].name, static_cast<int>(g + 1));
        if (groups_[g].name == chosen) {
            index = i;
        }
    }
    choice.setCurrentIndex(index);
}

void RoomStatusBinder::showRooms() {
    if (!window_) {
        return;
    }
    RoomStatusWindow& w = *window_;
    w.summaryLabel->setCaption(summary());
    ReportList& list = *w.roomList;
    setRows(list, static_cast<int>(rooms_.size()));
    for (std::size_t i = 0; i < rooms_.size(); ++i) {
        const RoomEntry& r = rooms_[i];
        const int row = static_cast<int>(i);
        list.setCell(row, RoomStatusWindow::kRoom, r.room);
        list.setCell(row, RoomStatusWindow::kAddress, Text(r.address));
        list.setCell(row, RoomStatusWindow::kLastContact, clockOf(r.lastMs));
        list.setCell(row, RoomStatusWindow::kOffset, milliseconds(r.offsetMs));
        list.setCell(row, RoomStatusWindow::kRoundTrip,
                     toText(static_cast<std::int64_t>(std::llround(r.roundTripMs))));
        list.setCell(row, RoomStatusWindow::kSound, soundText(r.sound));
        list.setCell(row, RoomStatusWindow::kGroup, groupOf(r.room));
        list.setCell(row, RoomStatusWindow::kLastCue, lastCueText(r));
        // Red: silent during a run. Greyed: silent outside a run (nothing depends on it then).
        list.setRowTone(row, !r.silent
                                 ? ReportList::Tone::Plain
                                 : (runActive_ ? ReportList::Tone::Alert : ReportList::Tone::Done));
    }
}

void RoomStatusBinder::showGroupCues() {
    if (!window_ || lastFeed_.cues.empty()) {
        return;
    }
    // The cues of each group that the school's times do not have: the group's own warning,
    // bells and end.
    const std::vector<RoomCue>& ordinary = lastFeed_.cues[0];
    const std::int64_t today =
        lastFeed_.states.empty() ? 0 : localEpochSeconds(lastFeed_.states[0].now) / 86400;
    struct Row {
        Text group;
        RoomCue cue;
    };
    std::vector<Row> rows;
    for (std::size_t g = 0; g < lastFeed_.groups.size() && g + 1 < lastFeed_.cues.size(); ++g) {
        for (const RoomCue& c : lastFeed_.cues[g + 1]) {
            const bool shared =
                std::any_of(ordinary.begin(), ordinary.end(),
                            [&](const RoomCue& o) { return o.cue == c.cue && o.atMs == c.atMs; });
            if (!shared) {
                rows.push_back(Row{lastFeed_.groups[g].name, c});
            }
        }
    }
    ReportList& list = *window_->groupCueList;
    setRows(list, static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        const RoomCue& c = rows[i].cue;
        const Text day = c.atMs / kMsPerDay > today ? utf8ToGbk("次日 ") : Text();
        list.setCell(row, 0, rows[i].group);
        list.setCell(row, 1, c.subject);
        list.setCell(row, 2, day + clockOf(c.atMs));
        list.setCell(row, 3, cueCaption(c.cue));
    }
}

}  // namespace exambell
