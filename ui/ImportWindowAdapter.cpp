#include "ui/ImportWindowAdapter.h"

#include "ui/ImportWindow.h"

namespace exambell {

Text ImportWindowAdapter::path() const {
    return window_.pathEdit->text();
}

void ImportWindowAdapter::setPath(const Text& path) {
    window_.pathEdit->setText(path);
}

FileDialog& ImportWindowAdapter::fileDialog() {
    return window_.fileDialog;
}

void ImportWindowAdapter::close() {
    window_.close();
}

const DialogOwner* ImportWindowAdapter::dialogOwner() const {
    return &window_;
}

}  // namespace exambell
