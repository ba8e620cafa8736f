#include "schedule/SdlAudioOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "text/Encoding.h"
#include "text/Paths.h"

// How the two players share SDL_mixer.
//
// SDL_mixer has one music stream (Mix_Music) and any number of sample channels (Mix_Chunk). The
// compressed-audio player is the music stream: mpg123 decodes the MP3 while it plays, so a long
// file starts as fast as a short one. The simple player must sound at the same time and
// independently, so its WAV files play as a chunk on the one sample channel. MIDI cannot use the
// music stream (playing an MP3 would end it) and rendering a MIDI file into a chunk up front is too
// slow: measured here, Mix_LoadWAV renders a 3-minute song in 620 ms and 32 MB, all of it on the
// calling (user-interface) thread, and loads the 6 MB sound font again each time. So the simple
// player has its own FluidSynth synthesiser: the sound font is loaded once when the device opens
// (13 ms), a fluid_player parses the file on the first audio callback, and the synthesiser is
// rendered straight into the mixed stream by an effect on SDL_mixer's final mix (MIX_CHANNEL_POST),
// driven by the sample count ("player.timing-source" "sample"), so no extra thread exists and a
// play call costs no rendering at all.

namespace exambell {

namespace {

constexpr int kSampleRate = 44100;
constexpr int kDeviceChannels = 2;
// The only sample channel: the simple player's WAV sound.
constexpr int kSoundChannel = 0;
// FluidSynth's default gain (0.2) is much quieter than a normalised recording.
constexpr double kMidiGain = 0.6;

void dropSdlLog(void*, int, SDL_LogPriority, const char*) {}

// The bytes of a regular file; empty for anything else (a folder must not reach the stream, whose
// iterator throws on it).
std::string readWholeFile(const Text& path) {
    if (!fileExists(path)) {
        return {};
    }
    std::ifstream in(nativePath(path), std::ios::binary);
    std::string bytes;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

// Up to `count` bytes from the start of a regular file.
std::string readFileStart(const Text& path, std::size_t count) {
    if (!fileExists(path)) {
        return {};
    }
    std::ifstream in(nativePath(path), std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

bool isWavContent(const std::string& bytes) {
    return bytes.size() > 11 && bytes.compare(0, 4, "RIFF") == 0 &&
           bytes.compare(8, 4, "WAVE") == 0;
}

bool isMidiContent(const std::string& bytes) {
    return bytes.size() > 4 && bytes.compare(0, 4, "MThd") == 0;
}

}  // namespace

struct SdlAudioOutput::Impl {
    bool sdlStarted = false;
    bool open = false;
    Mix_Music* music = nullptr;  // the compressed-audio player, while one exists

    // The simple player. controlLock guards chunk, the generation and the loader count; a loader
    // thread holds it only to hand a decoded sound over, never while reading or decoding.
    mutable std::mutex controlLock;
    std::condition_variable loadersDone;
    Mix_Chunk* chunk = nullptr;  // the WAV sound, while one exists
    std::uint64_t generation = 0;
    // The generation whose file a loader is still reading or decoding; a stop makes it stale.
    std::optional<std::uint64_t> loading;
    int loaders = 0;  // loader threads still running

    // The MIDI synthesiser. midiLock guards player and the rendering; the audio thread holds it
    // for one callback's rendering (well under a millisecond), the other threads only to start or
    // drop a player.
    fluid_settings_t* midiSettings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    bool midiSounding = false;
    std::vector<float> midiBuffer;
    mutable std::mutex midiLock;

    void startMidi(const Options& options, int bufferFrames);
    void stopMidiLocked();
    void renderMidi(std::int16_t* stream, int samples);
    static void renderMidiEffect(int channel, void* stream, int bytes, void* impl);
    void releaseMusic();
    // With controlLock held: silences the simple player and makes any load in progress stale.
    void stopSimpleLocked();
    void load(const Text& path, std::uint64_t forGeneration);
    void startSound(const Text& path, std::uint64_t forGeneration);
};

void SdlAudioOutput::Impl::startMidi(const Options& options, int bufferFrames) {
    // The synthesiser reports into the process's log; this program logs nothing.
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
    midiSettings = new_fluid_settings();
    if (midiSettings == nullptr) {
        return;
    }
    fluid_settings_setnum(midiSettings, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(midiSettings, "synth.gain", kMidiGain);
    fluid_settings_setstr(midiSettings, "player.timing-source", "sample");
    synth = new_fluid_synth(midiSettings);
    if (synth == nullptr ||
        fluid_synth_sfload(synth, options.soundFont.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth);
        synth = nullptr;
        return;
    }
    midiBuffer.resize(static_cast<std::size_t>(bufferFrames) * kDeviceChannels);
}

void SdlAudioOutput::Impl::stopMidiLocked() {
    if (player != nullptr) {
        fluid_player_stop(player);
        delete_fluid_player(player);
        player = nullptr;
    }
    if (midiSounding) {
        fluid_synth_all_sounds_off(synth, -1);
        midiSounding = false;
    }
}

// Runs on the audio thread after SDL_mixer has mixed the music and the channels: adds the
// synthesiser's output to the stream (signed 16-bit, interleaved stereo).
void SdlAudioOutput::Impl::renderMidi(std::int16_t* stream, int samples) {
    std::lock_guard lock(midiLock);
    if (!midiSounding) {
        return;
    }
    const int blockFrames = static_cast<int>(midiBuffer.size()) / kDeviceChannels;
    for (int done = 0; done < samples;) {
        const int frames = std::min(blockFrames, (samples - done) / kDeviceChannels);
        if (frames <= 0) {
            break;
        }
        // Floats, not fluid_synth_write_s16: that one dithers, which puts noise into silence.
        float* out = midiBuffer.data();
        fluid_synth_write_float(synth, frames, out, 0, kDeviceChannels, out, 1, kDeviceChannels);
        for (int i = 0; i < frames * kDeviceChannels; ++i) {
            const int mixed =
                stream[done + i] +
                static_cast<int>(std::lround(std::clamp(out[i], -1.0f, 1.0f) * 32767.0f));
            stream[done + i] = static_cast<std::int16_t>(std::clamp(mixed, -32768, 32767));
        }
        done += frames * kDeviceChannels;
    }
    // The file has ended once the player is done and the last notes have died away.
    if (player != nullptr && fluid_player_get_status(player) == FLUID_PLAYER_DONE &&
        fluid_synth_get_active_voice_count(synth) == 0) {
        midiSounding = false;
    }
}

void SdlAudioOutput::Impl::renderMidiEffect(int, void* stream, int bytes, void* impl) {
    static_cast<Impl*>(impl)->renderMidi(static_cast<std::int16_t*>(stream), bytes / 2);
}

void SdlAudioOutput::Impl::releaseMusic() {
    if (music != nullptr) {
        Mix_HaltMusic();
        Mix_FreeMusic(music);
        music = nullptr;
    }
}

void SdlAudioOutput::Impl::stopSimpleLocked() {
    ++generation;
    if (chunk != nullptr) {
        // Waits for the audio callback in progress: no sample of it is mixed after this.
        Mix_HaltChannel(kSoundChannel);
        Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    std::lock_guard lock(midiLock);
    stopMidiLocked();
}

// The body of a loader thread.
void SdlAudioOutput::Impl::load(const Text& path, std::uint64_t forGeneration) {
    startSound(path, forGeneration);
    // SDL keeps per-thread data (its error text) that only its own threads free by themselves.
    SDL_TLSCleanup();
    std::lock_guard lock(controlLock);
    if (loading == forGeneration) {
        loading.reset();
    }
    --loaders;
    loadersDone.notify_all();
}

// On the loader thread, without controlLock.
void SdlAudioOutput::Impl::startSound(const Text& path, std::uint64_t forGeneration) {
    const std::string head = readFileStart(path, 12);
    if (isWavContent(head)) {
        // Straight from the file: a long recording is not held twice in memory.
        SDL_RWops* source = SDL_RWFromFile(gbkToUtf8(path).c_str(), "rb");
        Mix_Chunk* decoded = source != nullptr ? Mix_LoadWAV_RW(source, 1) : nullptr;
        if (decoded == nullptr) {
            return;
        }
        std::lock_guard lock(controlLock);
        if (forGeneration != generation) {
            Mix_FreeChunk(decoded);
            return;
        }
        chunk = decoded;
        Mix_PlayChannel(kSoundChannel, chunk, 0);
    } else if (isMidiContent(head) && synth != nullptr) {
        const std::string bytes = readWholeFile(path);
        std::lock_guard control(controlLock);
        if (forGeneration != generation) {
            return;
        }
        // The player hooks itself into the synthesiser, so it is made under midiLock too. It
        // copies the bytes and parses them on the first audio callback.
        std::lock_guard lock(midiLock);
        player = new_fluid_player(synth);
        if (player == nullptr) {
            return;
        }
        if (!isMidiContent(bytes) ||
            fluid_player_add_mem(player, bytes.data(), bytes.size()) != FLUID_OK ||
            fluid_player_play(player) != FLUID_OK) {
            delete_fluid_player(player);
            player = nullptr;
            return;
        }
        midiSounding = true;
    }
}

SdlAudioOutput::SdlAudioOutput() : SdlAudioOutput(Options{}) {}

SdlAudioOutput::SdlAudioOutput(const Options& options) : impl_(std::make_unique<Impl>()) {
    SDL_LogSetOutputFunction(dropSdlLog, nullptr);
    // The audio subsystem brings SDL's event subsystem, whose SIGINT and SIGTERM handlers would
    // turn those signals into events that nobody reads: the program could no longer be ended.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return;
    }
    impl_->sdlStarted = true;
    // The compressed-audio player takes whatever SDL_mixer can stream, MIDI included: cue files go
    // there by the letters "mp3" in their name, whatever their content.
    Mix_SetSoundFonts(options.soundFont.c_str());
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    // No format changes allowed: SDL converts for the device, and the MIDI effect can rely on
    // 44.1 kHz signed 16-bit stereo.
    if (Mix_OpenAudioDevice(kSampleRate, AUDIO_S16SYS, kDeviceChannels, options.bufferFrames,
                            nullptr, 0) != 0) {
        return;
    }
    impl_->open = true;
    Mix_AllocateChannels(1);
    impl_->startMidi(options, options.bufferFrames);
    if (impl_->synth != nullptr) {
        // An effect, not Mix_SetPostMix, so that the post-mix hook stays free for an observer of
        // the finished stream (the latency benchmark).
        Mix_RegisterEffect(MIX_CHANNEL_POST, Impl::renderMidiEffect, nullptr, impl_.get());
    }
}

SdlAudioOutput::~SdlAudioOutput() {
    {
        // The loaders use the mixer and the synthesiser: wait for the last of them.
        std::unique_lock lock(impl_->controlLock);
        impl_->stopSimpleLocked();
        impl_->loadersDone.wait(lock, [this] { return impl_->loaders == 0; });
    }
    if (impl_->open) {
        // This waits for a running callback, so nothing renders after this line.
        Mix_UnregisterAllEffects(MIX_CHANNEL_POST);
        impl_->releaseMusic();
        std::lock_guard lock(impl_->controlLock);
        impl_->stopSimpleLocked();
        Mix_CloseAudio();
    }
    delete_fluid_synth(impl_->synth);
    delete_fluid_settings(impl_->midiSettings);
    if (impl_->sdlStarted) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SdlAudioOutput::playSoundFile(const Text& path) {
    if (!impl_->open) {
        return;
    }
    // One sound at a time: a new play replaces whatever the simple player was sounding.
    std::lock_guard lock(impl_->controlLock);
    impl_->stopSimpleLocked();
    if (path.empty()) {
        return;
    }
    try {
        std::thread([impl = impl_.get(), path, forGeneration = impl_->generation] {
            impl->load(path, forGeneration);
        }).detach();
    } catch (const std::system_error&) {
        return;  // no thread to be had: this sound stays silent
    }
    impl_->loading = impl_->generation;
    ++impl_->loaders;
}

void SdlAudioOutput::playCompressedFile(const Text& path) {
    if (!impl_->open) {
        return;
    }
    impl_->releaseMusic();
    if (path.empty()) {
        return;
    }
    impl_->music = Mix_LoadMUS(gbkToUtf8(path).c_str());
    if (impl_->music != nullptr) {
        Mix_PlayMusic(impl_->music, 0);
    }
}

void SdlAudioOutput::stopAllAudio() {
    if (!impl_->open) {
        return;
    }
    impl_->releaseMusic();
    std::lock_guard lock(impl_->controlLock);
    impl_->stopSimpleLocked();
}

bool SdlAudioOutput::isIdle() const {
    if (!impl_->open) {
        return true;
    }
    if (Mix_PlayingMusic() != 0) {
        return false;
    }
    std::lock_guard control(impl_->controlLock);
    if (impl_->loading == impl_->generation || Mix_Playing(kSoundChannel) != 0) {
        return false;
    }
    std::lock_guard lock(impl_->midiLock);
    return !impl_->midiSounding;
}

bool SdlAudioOutput::isOpen() const {
    return impl_->open;
}

}  // namespace exambell
