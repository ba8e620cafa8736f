#pragma once
// Opens addresses through QDesktopServices (xdg-open on Linux, the shell on Windows).

#include "net/UrlOpener.h"

namespace exambell {

class QtUrlOpener final : public UrlOpener {
  public:
    void open(const Text& address) override;
};

}  // namespace exambell
