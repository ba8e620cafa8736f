#include "app/DisplayConfig.h"

#include <algorithm>

#include "settings/ProfileStore.h"

namespace exambell {
namespace {

constexpr const char* kSection = "display";
constexpr const char* kServeKey = "serve";
constexpr const char* kPortKey = "port";
constexpr const char* kAddressKey = "address";

}  // namespace

int parsePort(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    const auto port = toInteger(text);
    return port >= 1 && port <= 65535 ? static_cast<int>(port) : 0;
}

DisplayConfig readDisplayConfig(const Text& configPath) {
    DisplayConfig config;
    config.serve = ProfileStore::read(configPath, kSection, kServeKey, "0") == "1";
    const int port = parsePort(
        ProfileStore::read(configPath, kSection, kPortKey, toText(DisplayConfig::kDefaultPort)));
    config.port = port > 0 ? port : DisplayConfig::kDefaultPort;
    config.address = ProfileStore::read(configPath, kSection, kAddressKey, "");
    return config;
}

bool writeDisplayConfig(const Text& configPath, const DisplayConfig& config) {
    bool ok = ProfileStore::write(configPath, kSection, kServeKey, config.serve ? "1" : "0");
    ok = ProfileStore::write(configPath, kSection, kPortKey, toText(config.port)) && ok;
    ok = ProfileStore::write(configPath, kSection, kAddressKey, config.address) && ok;
    return ok;
}

}  // namespace exambell
