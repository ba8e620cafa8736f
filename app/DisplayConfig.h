#pragma once
// The exam-room clock's settings in config.ini, section "display": "serve" ("1": the web page is
// on; anything else: off, the default), "port" (1..65535, default 8787) and "address" (the one
// address to listen on; empty: all of this computer's addresses).

#include "text/Text.h"

namespace exambell {

struct DisplayConfig {
    static constexpr int kDefaultPort = 8787;
    bool serve = false;
    int port = kDefaultPort;
    Text address;
};

// A port text as typed or stored, or 0 when it is no port number.
int parsePort(std::string_view text);

DisplayConfig readDisplayConfig(const Text& configPath);
// Writes the three keys; false when config.ini could not be written (the old file stays whole).
bool writeDisplayConfig(const Text& configPath, const DisplayConfig& config);

}  // namespace exambell
