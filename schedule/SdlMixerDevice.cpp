#include "schedule/SdlMixerDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace exambell {

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
// SDL_mixer keeps its device id to itself. SDL numbers open devices from 1 up and this output is
// the process's only one, so the playing id among the first few is ours.
constexpr SDL_AudioDeviceID kHighestIdSearched = 16;

}  // namespace

bool SdlMixerDevice::open(int bufferFrames) {
    if (Mix_OpenAudioDevice(kSampleRate, AUDIO_S16SYS, kChannels, bufferFrames, nullptr, 0) != 0) {
        return false;
    }
    deviceId_ = 0;
    for (SDL_AudioDeviceID id = 1; id <= kHighestIdSearched; ++id) {
        if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) {
            deviceId_ = id;
            break;
        }
    }
    return true;
}

bool SdlMixerDevice::isAlive() const {
    const SDL_AudioDeviceID id = deviceId_;
    return id == 0 || SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED;
}

void SdlMixerDevice::close() {
    Mix_CloseAudio();
    deviceId_ = 0;
}

}  // namespace exambell
