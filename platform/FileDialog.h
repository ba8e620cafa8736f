#pragma once
// File dialog (non-visual): the filter ("描述|*.a;*.b"), the initial folder and the remembered
// file name of one "open file" dialog, shown through the Dialogs seam. After a confirmed choice
// the file name holds the chosen full path and is offered again the next time.

#include <utility>

#include "text/Text.h"

namespace exambell {

class DialogOwner;
class Dialogs;

class FileDialog {
  public:
    FileDialog(Text designName, const DialogOwner* owner)
        : name_(std::move(designName)), owner_(owner) {}

    const Text& designName() const { return name_; }
    const Text& filter() const { return filter_; }
    void setFilter(const Text& filter) { filter_ = filter; }
    const Text& initialFolder() const { return folder_; }
    void setInitialFolder(const Text& folder) { folder_ = folder; }
    const Text& fileName() const { return fileName_; }
    void setFileName(const Text& fileName) { fileName_ = fileName; }

    // Shows the dialog modally, owned by the window; true when the operator confirmed a file
    // (fileName() then holds its full path), false when cancelled (nothing changes).
    bool openFile(Dialogs& dialogs);

  private:
    Text name_;
    const DialogOwner* owner_;
    Text filter_;
    Text folder_;
    Text fileName_;
};

}  // namespace exambell
