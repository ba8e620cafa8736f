#pragma once
// The operations of the arrangement window: the grade's rosters, the room list, the draw and
// its outputs. The arrangement last drawn is kept with the request it was drawn from, so that
// the outputs show exactly what the window shows even when the rosters change afterwards.

#include <functional>
#include <optional>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "rooms/ArrangementView.h"
#include "rooms/GradeRoster.h"
#include "rooms/RoomDocuments.h"
#include "rooms/RoomPlan.h"

namespace exambell {

class RoomArrangement {
  public:
    // beforeFirstSave: see ClassRoster; runs before anything is saved into a config.ini that
    // does not exist yet. It may be empty.
    RoomArrangement(ArrangementView& view, Dialogs& dialogs, const Clock& clock, RoomOutput& output,
                    Text configFile, std::function<void()> beforeFirstSave = {});

    // When the window opens: the stored settings into the fields, the class list, and the
    // stored arrangement drawn again from its code.
    void windowOpened();
    // 导入年级班级按钮: checks the roster and saves it as the named class of the grade.
    void importClass();
    // 年级班级列表, an entry chosen: its name and names into the import boxes.
    void chooseClass();
    // 删除年级班级按钮: removes the chosen class after a question.
    void deleteClass();
    // 批量生成考场按钮: lists count rooms of rows x columns in the rooms box.
    void listRooms();
    // 开始编排按钮 / 按码编排按钮.
    void arrange();
    void arrangeFromCode();
    // 导出考场PDF按钮, 导出桌贴按钮, 导出编排Excel按钮.
    void exportPdf();
    void exportLabels();
    void exportWorkbook();

    // The arrangement shown, if any, and the document of it.
    const std::optional<Arrangement>& shown() const { return arrangement_; }
    ArrangementDocument document() const;

    static constexpr int kLabelColumns = 3;
    static constexpr int kLabelRows = 8;

  private:
    bool arrangeWith(std::uint64_t seed, bool quiet);
    void refreshClasses();
    void tell(const Text& text, MessageIcon icon = MessageIcon::None);
    void beforeSave();
    std::optional<Text> savePath(const Text& filter, const Text& extension, const Text& what);

    ArrangementView& view_;
    Dialogs& dialogs_;
    const Clock& clock_;
    RoomOutput& output_;
    Text configFile_;
    std::function<void()> beforeFirstSave_;
    GradeRoster roster_;
    ArrangementRequest request_;
    std::optional<Arrangement> arrangement_;
    Text code_;
    Text fingerprint_;
};

}  // namespace exambell
