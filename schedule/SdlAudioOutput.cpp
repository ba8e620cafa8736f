#include "schedule/SdlAudioOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <chrono>
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

#include "platform/Clock.h"
#include "schedule/CueFileProbe.h"
#include "schedule/SdlMixerDevice.h"
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
// player has its own FluidSynth synthesiser: the sound font is loaded once on the device thread, a
// fluid_player parses the file on the first audio callback, and the synthesiser is rendered
// straight into the mixed stream by an effect on SDL_mixer's final mix (MIX_CHANNEL_POST), driven
// by the sample count ("player.timing-source" "sample"), so a play call costs no rendering at all.
//
// Who touches SDL_mixer when.
//
// The device thread starts SDL's audio subsystem, loads the sound font, and opens and closes the
// device. An attempt that fails, and a close after a loss, also end the audio subsystem, so that
// the next attempt starts it afresh: SDL chooses its driver, and its sound-server driver connects
// to the server, only when the subsystem starts; a subsystem started while the server was down,
// or connected to a server since gone, would never open a device again.
// the window's thread and the loader threads call SDL_mixer only while the state is Open.
// Only the window's thread leaves Open (it asks for a close when it finds the device lost), and it
// first silences both players and makes every loader's work stale; the device thread then waits
// for the loaders to end before it closes. So no SDL_mixer call ever races an open or a close.

namespace exambell {

namespace {

constexpr int kSampleRate = 44100;
constexpr int kDeviceChannels = 2;
// The only sample channel: the simple player's WAV sound.
constexpr int kSoundChannel = 0;
// FluidSynth's default gain (0.2) is much quieter than a normalised recording.
constexpr double kMidiGain = 0.6;

void dropSdlLog(void*, int, SDL_LogPriority, const char*) {}

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

std::int64_t steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

enum class DeviceState { Opening, Open, Closing, Closed };

// A play made while no device was open, waiting for one.
struct WaitingPlay {
    bool waiting = false;
    std::uint64_t id = 0;
    Text path;
    std::int64_t since = 0;  // milliseconds of Impl::now()
};

}  // namespace

struct SdlAudioOutput::Impl {
    Impl(SdlAudioOutput& output, const Options& options)
        : owner(output),
          options(options),
          clock(options.clock),
          ownDevice(options.device == nullptr ? std::make_unique<SdlMixerDevice>() : nullptr),
          device(options.device != nullptr ? options.device : ownDevice.get()) {}

    SdlAudioOutput& owner;
    const Options options;
    Clock* const clock;
    const std::unique_ptr<SdlMixerDevice> ownDevice;
    MixerDevice* const device;
    // Lives on the making thread: what other threads post to it runs on that thread's event loop.
    QObject context;

    // The device. stateLock guards state and the device thread's orders.
    mutable std::mutex stateLock;
    mutable std::condition_variable stateChanged;
    DeviceState state = DeviceState::Opening;
    bool sdlStarted = false;    // SDL's audio subsystem (device thread)
    bool mixerReady = false;    // decoders and the synthesiser (device thread, once)
    bool deviceOpened = false;  // opened and not yet closed (Closing is still opened)
    bool openWanted = false;
    bool closeWanted = false;
    bool quit = false;
    bool startWanted = false;
    std::thread deviceThread;

    // Window thread only.
    // The open state last given to the device handler; the first settled attempt is always told.
    std::optional<bool> toldOpen;
    std::uint64_t nextId = 1;
    WaitingPlay waitingSound;
    WaitingPlay waitingMusic;
    // A loss was told while the output was already reopening: the outcome of that reopen is told
    // as well, else a failed reopen would leave the loss unexplained.
    bool tellNextSettle = false;
    Clock::TimerId retryTimer = 0;
    bool retryArmed = false;
    Clock::TimerId watchTimer = 0;
    bool watchArmed = false;

    Mix_Music* music = nullptr;  // the compressed-audio player, while one exists
    std::uint64_t musicId = 0;
    Text musicPath;

    // The simple player. controlLock guards chunk, the generation, the loader count and the play
    // being loaded or sounding; a loader thread holds it only to hand a decoded sound over, never
    // while reading or decoding.
    mutable std::mutex controlLock;
    std::condition_variable loadersDone;
    Mix_Chunk* chunk = nullptr;  // the WAV sound, while one exists
    std::uint64_t generation = 0;
    // The generation whose file a loader is still reading or decoding; a stop makes it stale.
    std::optional<std::uint64_t> loading;
    int loaders = 0;  // loader threads still running
    std::uint64_t soundId = 0;
    Text soundPath;

    // The MIDI synthesiser. midiLock guards player and the rendering; the audio thread holds it
    // for one callback's rendering (well under a millisecond), the other threads only to start or
    // drop a player.
    fluid_settings_t* midiSettings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    bool midiSounding = false;
    std::vector<float> midiBuffer;
    mutable std::mutex midiLock;

    std::int64_t now() const {
        return clock != nullptr ? clock->tickCount() : steadyMilliseconds();
    }
    bool isOpen() const {
        std::lock_guard lock(stateLock);
        return state == DeviceState::Open;
    }
    bool stillWaiting(const WaitingPlay& play) const {
        return play.waiting && now() - play.since < kWaitForDeviceMilliseconds;
    }

    // The device thread.
    void runDeviceThread();
    void prepareMixer();
    bool startSdlAudio();
    void endSdlAudio();
    void afterOpen();
    void closeDevice();
    void post(std::function<void()> work) {
        QMetaObject::invokeMethod(&context, std::move(work), Qt::QueuedConnection);
    }

    // Window thread.
    void requestOpen();
    void deviceSettled();
    void checkDevice();
    void deviceLost();
    void armRetry();
    void armWatch();
    PlayResult holdForDevice(WaitingPlay& play, std::uint64_t id, const Text& path);
    // A waiting play that has given up, or that a stop or a newer play dropped, never sounds:
    // said by a NoDevice report from the event loop.
    void dropWaiting(WaitingPlay& play);
    void dropExpired();
    PlayOutcome startSoundFile(std::uint64_t id, const Text& path);
    PlayOutcome startCompressedFile(std::uint64_t id, const Text& path);

    void startMidi();
    void stopMidiLocked();
    void renderMidi(std::int16_t* stream, int samples);
    static void renderMidiEffect(int channel, void* stream, int bytes, void* impl);
    void releaseMusic();
    // With controlLock held: silences the simple player and makes any load in progress stale.
    void stopSimpleLocked();
    void load(const Text& path, std::uint64_t forGeneration, std::uint64_t id);
    bool startSound(const Text& path, std::uint64_t forGeneration);
    // Whether the simple player is loading or sounding (controlLock held).
    bool simpleBusyLocked() const;
};

void SdlAudioOutput::Impl::prepareMixer() {
    // The compressed-audio player takes whatever SDL_mixer can stream, MIDI included: cue files go
    // there by the letters "mp3" in their name, whatever their content.
    Mix_SetSoundFonts(options.soundFont.c_str());
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    startMidi();
    mixerReady = true;
}

bool SdlAudioOutput::Impl::startSdlAudio() {
    if (!sdlStarted) {
        sdlStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    return sdlStarted;
}

void SdlAudioOutput::Impl::endSdlAudio() {
    if (sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlStarted = false;
    }
}

void SdlAudioOutput::Impl::runDeviceThread() {
    std::unique_lock lock(stateLock);
    stateChanged.wait(lock, [this] { return quit || startWanted || !options.startLater; });
    if (quit) {
        return;
    }
    lock.unlock();
    prepareMixer();
    lock.lock();
    bool attempt = true;
    while (!quit) {
        if (attempt) {
            attempt = false;
            state = DeviceState::Opening;
            lock.unlock();
            const bool opened = startSdlAudio() && device->open(options.bufferFrames);
            if (opened) {
                afterOpen();
            } else {
                endSdlAudio();
            }
            lock.lock();
            deviceOpened = opened;
            state = opened ? DeviceState::Open : DeviceState::Closed;
            stateChanged.notify_all();
            post([this] { deviceSettled(); });
            continue;
        }
        stateChanged.wait(lock, [this] { return quit || openWanted || closeWanted; });
        if (quit) {
            break;
        }
        if (closeWanted) {
            // A lost device: close it and try a new one at once (a restarted sound server is
            // usually back already).
            closeWanted = false;
            lock.unlock();
            closeDevice();
            lock.lock();
        }
        openWanted = false;
        attempt = true;
    }
    lock.unlock();
    // SDL keeps per-thread data (its error text) that only its own threads free by themselves.
    SDL_TLSCleanup();
}

void SdlAudioOutput::Impl::afterOpen() {
    Mix_AllocateChannels(1);
    if (synth != nullptr) {
        // An effect, not Mix_SetPostMix, so that the post-mix hook stays free for an observer of
        // the finished stream (the latency benchmark).
        Mix_RegisterEffect(MIX_CHANNEL_POST, Impl::renderMidiEffect, nullptr, this);
    }
}

void SdlAudioOutput::Impl::closeDevice() {
    {
        // The loaders use the mixer: wait for the last of them (their work is stale by now).
        std::unique_lock lock(controlLock);
        loadersDone.wait(lock, [this] { return loaders == 0; });
    }
    // This waits for a running callback, so nothing renders after this line.
    Mix_UnregisterAllEffects(MIX_CHANNEL_POST);
    device->close();
    // The device was lost: its driver (a sound server's connection above all) may be gone with
    // it, so the reopen starts SDL's audio afresh.
    endSdlAudio();
    std::lock_guard lock(stateLock);
    deviceOpened = false;
}

void SdlAudioOutput::Impl::requestOpen() {
    std::lock_guard lock(stateLock);
    if (state == DeviceState::Closed) {
        state = DeviceState::Opening;
        openWanted = true;
        stateChanged.notify_all();
    }
}

// On the window's thread, after the device thread ended an open attempt.
void SdlAudioOutput::Impl::deviceSettled() {
    const bool open = isOpen();
    const bool tell = toldOpen != open || (tellNextSettle && !open);
    tellNextSettle = false;
    if (tell) {
        toldOpen = open;
        owner.deviceChanged(open);
    }
    if (!open) {
        dropExpired();
        if (waitingSound.waiting || waitingMusic.waiting) {
            armRetry();
        }
        return;
    }
    armWatch();
    dropExpired();
    for (WaitingPlay* play : {&waitingMusic, &waitingSound}) {
        if (!play->waiting) {
            continue;
        }
        play->waiting = false;
        const PlayOutcome outcome = play == &waitingMusic
                                        ? startCompressedFile(play->id, play->path)
                                        : startSoundFile(play->id, play->path);
        owner.report(PlayReport{play->id, play->path, outcome});
    }
}

void SdlAudioOutput::Impl::checkDevice() {
    if (isOpen() && !device->isAlive()) {
        deviceLost();
    }
}

void SdlAudioOutput::Impl::deviceLost() {
    // What was sounding or loading is cut off: say so.
    std::vector<PlayReport> cut;
    if (music != nullptr && Mix_PlayingMusic() != 0) {
        cut.push_back(PlayReport{musicId, musicPath, PlayOutcome::NoDevice});
    }
    releaseMusic();
    {
        std::lock_guard lock(controlLock);
        if (simpleBusyLocked()) {
            cut.push_back(PlayReport{soundId, soundPath, PlayOutcome::NoDevice});
        }
        stopSimpleLocked();
    }
    {
        std::lock_guard lock(stateLock);
        state = DeviceState::Closing;
        closeWanted = true;
        stateChanged.notify_all();
    }
    if (toldOpen != false) {
        toldOpen = false;
        tellNextSettle = true;
        owner.deviceChanged(false);
    }
    for (const PlayReport& report : cut) {
        owner.report(report);
    }
}

void SdlAudioOutput::Impl::armRetry() {
    if (clock == nullptr || retryArmed) {
        return;
    }
    retryArmed = true;
    retryTimer = clock->callAt(clock->wallMilliseconds() + kRetryMilliseconds, [this] {
        retryArmed = false;
        dropExpired();
        if (waitingSound.waiting || waitingMusic.waiting) {
            requestOpen();
        }
    });
}

void SdlAudioOutput::Impl::armWatch() {
    if (clock == nullptr || watchArmed) {
        return;
    }
    watchArmed = true;
    watchTimer = clock->callAt(clock->wallMilliseconds() + kWatchMilliseconds, [this] {
        watchArmed = false;
        checkDevice();
        if (isOpen()) {
            armWatch();
        }
    });
}

void SdlAudioOutput::Impl::dropWaiting(WaitingPlay& play) {
    if (!play.waiting) {
        return;
    }
    play.waiting = false;
    post([this, report = PlayReport{play.id, play.path, PlayOutcome::NoDevice}] {
        owner.report(report);
    });
}

void SdlAudioOutput::Impl::dropExpired() {
    for (WaitingPlay* play : {&waitingMusic, &waitingSound}) {
        if (play->waiting && !stillWaiting(*play)) {
            dropWaiting(*play);
        }
    }
}

PlayResult SdlAudioOutput::Impl::holdForDevice(WaitingPlay& play, std::uint64_t id,
                                               const Text& path) {
    dropWaiting(play);
    play = WaitingPlay{true, id, path, now()};
    requestOpen();
    return PlayResult{PlayOutcome::NoDevice, id};
}

PlayOutcome SdlAudioOutput::Impl::startSoundFile(std::uint64_t id, const Text& path) {
    std::lock_guard lock(controlLock);
    stopSimpleLocked();
    try {
        std::thread([this, path, forGeneration = generation, id] {
            load(path, forGeneration, id);
        }).detach();
    } catch (const std::system_error&) {
        return PlayOutcome::Undecodable;  // no thread to be had: this sound cannot be decoded
    }
    loading = generation;
    ++loaders;
    soundId = id;
    soundPath = path;
    return PlayOutcome::Started;
}

PlayOutcome SdlAudioOutput::Impl::startCompressedFile(std::uint64_t id, const Text& path) {
    releaseMusic();
    music = Mix_LoadMUS(gbkToUtf8(path).c_str());
    if (music == nullptr || Mix_PlayMusic(music, 0) != 0) {
        releaseMusic();
        return PlayOutcome::Undecodable;
    }
    musicId = id;
    musicPath = path;
    return PlayOutcome::Started;
}

void SdlAudioOutput::Impl::startMidi() {
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
    fluid_synth_t* made = new_fluid_synth(midiSettings);
    if (made == nullptr || fluid_synth_sfload(made, options.soundFont.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(made);
        return;
    }
    midiBuffer.resize(static_cast<std::size_t>(options.bufferFrames) * kDeviceChannels);
    synth = made;
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

bool SdlAudioOutput::Impl::simpleBusyLocked() const {
    if (loading == generation || (chunk != nullptr && Mix_Playing(kSoundChannel) != 0)) {
        return true;
    }
    std::lock_guard lock(midiLock);
    return midiSounding;
}

// The body of a loader thread.
void SdlAudioOutput::Impl::load(const Text& path, std::uint64_t forGeneration, std::uint64_t id) {
    const bool started = startSound(path, forGeneration);
    // SDL keeps per-thread data (its error text) that only its own threads free by themselves.
    SDL_TLSCleanup();
    std::lock_guard lock(controlLock);
    if (loading == forGeneration) {
        loading.reset();
    }
    // A play that a stop or a newer play has overtaken is nobody's concern any more.
    if (!started && forGeneration == generation) {
        post([this, report = PlayReport{id, path, PlayOutcome::Undecodable}] {
            owner.report(report);
        });
    }
    --loaders;
    loadersDone.notify_all();
}

// On the loader thread, without controlLock. False when the file cannot sound (a stale play
// counts as started: it is not to be reported).
bool SdlAudioOutput::Impl::startSound(const Text& path, std::uint64_t forGeneration) {
    const std::string head = readFileStart(path, 12);
    if (isWavContent(head)) {
        // Straight from the file: a long recording is not held twice in memory.
        SDL_RWops* source = SDL_RWFromFile(gbkToUtf8(path).c_str(), "rb");
        Mix_Chunk* decoded = source != nullptr ? Mix_LoadWAV_RW(source, 1) : nullptr;
        std::lock_guard lock(controlLock);
        if (forGeneration != generation) {
            Mix_FreeChunk(decoded);
            return true;
        }
        if (decoded == nullptr) {
            return false;
        }
        chunk = decoded;
        return Mix_PlayChannel(kSoundChannel, chunk, 0) >= 0;
    }
    if (!isMidiContent(head) || synth == nullptr) {
        return false;
    }
    const std::string bytes = readWholeFile(path);
    if (!isPlayableMidi(bytes)) {
        return false;
    }
    std::lock_guard control(controlLock);
    if (forGeneration != generation) {
        return true;
    }
    // The player hooks itself into the synthesiser, so it is made under midiLock too. It copies
    // the bytes and parses them on the first audio callback.
    std::lock_guard lock(midiLock);
    player = new_fluid_player(synth);
    if (player == nullptr) {
        return false;
    }
    if (fluid_player_add_mem(player, bytes.data(), bytes.size()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        delete_fluid_player(player);
        player = nullptr;
        return false;
    }
    midiSounding = true;
    return true;
}

SdlAudioOutput::SdlAudioOutput() : SdlAudioOutput(Options{}) {}

SdlAudioOutput::SdlAudioOutput(const Options& options)
    : impl_(std::make_unique<Impl>(*this, options)) {
    SDL_LogSetOutputFunction(dropSdlLog, nullptr);
    // The audio subsystem brings SDL's event subsystem, whose SIGINT and SIGTERM handlers would
    // turn those signals into events that nobody reads: the program could no longer be ended.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    try {
        impl_->deviceThread = std::thread([impl = impl_.get()] { impl->runDeviceThread(); });
    } catch (const std::system_error&) {
        std::lock_guard lock(impl_->stateLock);
        impl_->state = DeviceState::Closed;  // no thread: the output stays silent
    }
}

SdlAudioOutput::~SdlAudioOutput() {
    if (impl_->clock != nullptr) {
        if (impl_->retryArmed) {
            impl_->clock->cancel(impl_->retryTimer);
        }
        if (impl_->watchArmed) {
            impl_->clock->cancel(impl_->watchTimer);
        }
    }
    if (impl_->deviceThread.joinable()) {
        {
            std::lock_guard lock(impl_->stateLock);
            impl_->quit = true;
            impl_->stateChanged.notify_all();
        }
        impl_->deviceThread.join();
    }
    const bool open = impl_->deviceOpened;  // the device thread has ended
    {
        // The loaders use the mixer and the synthesiser: wait for the last of them.
        std::unique_lock lock(impl_->controlLock);
        if (open) {
            impl_->stopSimpleLocked();
        }
        impl_->loadersDone.wait(lock, [this] { return impl_->loaders == 0; });
    }
    if (open) {
        Mix_UnregisterAllEffects(MIX_CHANNEL_POST);
        impl_->releaseMusic();
        std::lock_guard lock(impl_->controlLock);
        impl_->stopSimpleLocked();
        impl_->device->close();
    }
    delete_fluid_synth(impl_->synth);
    delete_fluid_settings(impl_->midiSettings);
    if (impl_->mixerReady) {
        Mix_Quit();
    }
    impl_->endSdlAudio();
}

PlayResult SdlAudioOutput::playSoundFile(const Text& path) {
    const std::uint64_t id = impl_->nextId++;
    // One sound at a time: a new play replaces whatever the simple player was sounding.
    impl_->dropWaiting(impl_->waitingSound);
    if (impl_->isOpen()) {
        std::lock_guard lock(impl_->controlLock);
        impl_->stopSimpleLocked();
    }
    if (!fileExists(path)) {
        return PlayResult{PlayOutcome::FileMissing, id};
    }
    impl_->checkDevice();
    if (!impl_->isOpen()) {
        return impl_->holdForDevice(impl_->waitingSound, id, path);
    }
    return PlayResult{impl_->startSoundFile(id, path), id};
}

PlayResult SdlAudioOutput::playCompressedFile(const Text& path) {
    const std::uint64_t id = impl_->nextId++;
    impl_->dropWaiting(impl_->waitingMusic);
    if (impl_->isOpen()) {
        impl_->releaseMusic();
    }
    if (!fileExists(path)) {
        return PlayResult{PlayOutcome::FileMissing, id};
    }
    impl_->checkDevice();
    if (!impl_->isOpen()) {
        return impl_->holdForDevice(impl_->waitingMusic, id, path);
    }
    return PlayResult{impl_->startCompressedFile(id, path), id};
}

void SdlAudioOutput::stopAllAudio() {
    impl_->dropWaiting(impl_->waitingSound);
    impl_->dropWaiting(impl_->waitingMusic);
    if (!impl_->isOpen()) {
        return;
    }
    impl_->releaseMusic();
    std::lock_guard lock(impl_->controlLock);
    impl_->stopSimpleLocked();
}

bool SdlAudioOutput::isIdle() const {
    if (impl_->stillWaiting(impl_->waitingSound) || impl_->stillWaiting(impl_->waitingMusic)) {
        return false;
    }
    if (!impl_->isOpen()) {
        return true;
    }
    if (Mix_PlayingMusic() != 0) {
        return false;
    }
    std::lock_guard control(impl_->controlLock);
    return !impl_->simpleBusyLocked();
}

bool SdlAudioOutput::isDeviceOpen() const {
    return impl_->isOpen();
}

bool SdlAudioOutput::isDeviceOpening() const {
    std::lock_guard lock(impl_->stateLock);
    return impl_->state == DeviceState::Opening || impl_->state == DeviceState::Closing;
}

void SdlAudioOutput::retryDevice() {
    impl_->checkDevice();
    impl_->requestOpen();
}

void SdlAudioOutput::start() {
    std::lock_guard lock(impl_->stateLock);
    impl_->startWanted = true;
    impl_->stateChanged.notify_all();
}

bool SdlAudioOutput::waitForDevice(int timeoutMilliseconds) const {
    std::unique_lock lock(impl_->stateLock);
    impl_->stateChanged.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds), [this] {
        return impl_->state == DeviceState::Open || impl_->state == DeviceState::Closed;
    });
    return impl_->state == DeviceState::Open;
}

}  // namespace exambell
