#pragma once
// Work on untrusted bytes (an answer's header block, a page to decode, an address to check)
// that may take longer than the window can wait without painting or ticking.

#include <functional>

#include "text/Encoding.h"

namespace exambell {

// Runs `work` on a thread of its own and returns when it is done; meanwhile the calling thread
// calls `pass` every few milliseconds. `work` must not touch the window. Without a pass, `work`
// simply runs on the calling thread.
void runBesideEvents(const std::function<void()>& work, const EventPass& pass);

}  // namespace exambell
