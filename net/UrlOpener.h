#pragma once
// The desktop's service that opens an address in the default web browser. The program hands the
// address over and does not wait for or check the outcome.

#include "text/Text.h"

namespace exambell {

class UrlOpener {
  public:
    virtual ~UrlOpener() = default;
    // `address` is a GBK text.
    virtual void open(const Text& address) = 0;
};

}  // namespace exambell
