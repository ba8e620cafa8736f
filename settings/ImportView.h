#pragma once
// The import-settings window as the import and the factory reset see it; ui/ implements it over
// the real controls.

#include "platform/Dialogs.h"
#include "platform/FileDialog.h"
#include "text/Text.h"

namespace exambell {

class ImportView {
  public:
    virtual ~ImportView() = default;

    // The path box (编辑框1): what was chosen or dropped.
    virtual Text path() const = 0;
    virtual void setPath(const Text& path) = 0;
    // The window's file dialog (通用对话框1).
    virtual FileDialog& fileDialog() = 0;
    // Closes the window after a successful import.
    virtual void close() = 0;
    virtual const DialogOwner* dialogOwner() const = 0;
};

}  // namespace exambell
