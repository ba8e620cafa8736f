#pragma once
// The output device through Mix_OpenAudioDevice; a lost device is seen through SDL's device
// status (SDL stops the device when its backend reports it gone).

#include <atomic>
#include <cstdint>

#include "schedule/MixerDevice.h"

namespace exambell {

class SdlMixerDevice final : public MixerDevice {
  public:
    bool open(int bufferFrames) override;
    bool isAlive() const override;
    void close() override;

  private:
    // SDL's id of the opened device; 0 when it could not be told (then it counts as alive).
    std::atomic<std::uint32_t> deviceId_{0};
};

}  // namespace exambell
