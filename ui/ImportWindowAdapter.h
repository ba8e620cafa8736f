#pragma once
// The import-settings window as the import sees it (ImportView); every call reads or writes the
// controls.

#include "settings/ImportView.h"

namespace exambell {

class ImportWindow;

class ImportWindowAdapter final : public ImportView {
  public:
    // The window must outlive the adapter.
    explicit ImportWindowAdapter(ImportWindow& window) : window_(window) {}

    Text path() const override;
    void setPath(const Text& path) override;
    FileDialog& fileDialog() override;
    void close() override;
    const DialogOwner* dialogOwner() const override;

  private:
    ImportWindow& window_;
};

}  // namespace exambell
