#pragma once
// The one place where the arrangement window's control events meet their operations. It
// belongs to the window (a child QObject) and goes with it; building it fills the window from
// config.ini.

#include <QObject>

#include "rooms/RoomArrangement.h"
#include "ui/ArrangementWindowAdapter.h"
#include "ui/QtRoomOutput.h"

namespace exambell {

class ArrangementWindow;

class ArrangementWindowBinder : public QObject {
  public:
    // beforeFirstSave: see ClassRoster.
    ArrangementWindowBinder(ArrangementWindow& window, Dialogs& dialogs, const Clock& clock,
                            Text configFile, std::function<void()> beforeFirstSave);

    RoomArrangement& operations() { return operations_; }

  private:
    QtRoomOutput output_;
    ArrangementWindowAdapter view_;
    RoomArrangement operations_;
};

}  // namespace exambell
