#include "platform/FileDialog.h"

#include "platform/Dialogs.h"

namespace exambell {

bool FileDialog::openFile(Dialogs& dialogs) {
    std::optional<Text> chosen = dialogs.openFile(filter_, folder_, fileName_, owner_);
    if (!chosen) {
        return false;
    }
    fileName_ = *chosen;
    return true;
}

}  // namespace exambell
