#include "schedule/CueFileProbe.h"

#include <SDL.h>
#include <mpg123.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {

namespace {

std::string readFile(const Text& path, std::size_t limit = SIZE_MAX) {
    std::ifstream in(nativePath(path), std::ios::binary);
    std::string bytes;
    char block[65536];
    while (bytes.size() < limit && (in.read(block, sizeof block) || in.gcount() > 0)) {
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    }
    if (bytes.size() > limit) {
        bytes.resize(limit);
    }
    return bytes;
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// A MIDI variable-length quantity (at most four bytes) at pos, which moves past it.
std::optional<std::uint32_t> readVarLength(std::string_view bytes, std::size_t& pos) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= bytes.size()) {
            return std::nullopt;
        }
        const auto byte = static_cast<unsigned char>(bytes[pos++]);
        value = value << 7 | (byte & 0x7Fu);
        if ((byte & 0x80u) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

// Walks one track's events; counts its sounding notes. False on any malformed event.
bool walkTrack(std::string_view track, int& notes) {
    std::size_t pos = 0;
    unsigned running = 0;
    while (pos < track.size()) {
        if (!readVarLength(track, pos) || pos >= track.size()) {
            return false;
        }
        unsigned status = static_cast<unsigned char>(track[pos]);
        if (status & 0x80u) {
            ++pos;
        } else if (running != 0) {
            status = running;
        } else {
            return false;  // data byte without a status to run on
        }
        if (status == 0xFF) {
            if (pos >= track.size()) {
                return false;
            }
            const auto type = static_cast<unsigned char>(track[pos++]);
            const auto length = readVarLength(track, pos);
            if (!length || track.size() - pos < *length) {
                return false;
            }
            pos += *length;
            if (type == 0x2F) {
                return true;  // end of track
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            const auto length = readVarLength(track, pos);
            if (!length || track.size() - pos < *length) {
                return false;
            }
            pos += *length;
            running = 0;
            continue;
        }
        if (status >= 0xF0) {
            return false;  // system messages do not belong in a file
        }
        running = status;
        const std::size_t dataBytes = (status & 0xF0u) == 0xC0 || (status & 0xF0u) == 0xD0 ? 1 : 2;
        if (track.size() - pos < dataBytes) {
            return false;
        }
        for (std::size_t i = 0; i < dataBytes; ++i) {
            if (static_cast<unsigned char>(track[pos + i]) & 0x80u) {
                return false;
            }
        }
        if ((status & 0xF0u) == 0x90 && track[pos + 1] != 0) {
            ++notes;
        }
        pos += dataBytes;
    }
    return true;  // a track may lack its end-of-track event; players end it at its last byte
}

bool decodesAsWav(const Text& path) {
    SDL_RWops* source = SDL_RWFromFile(gbkToUtf8(path).c_str(), "rb");
    if (source == nullptr) {
        return false;
    }
    SDL_AudioSpec format{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    const bool decoded = SDL_LoadWAV_RW(source, 1, &format, &samples, &length) != nullptr;
    SDL_FreeWAV(samples);
    return decoded && length > 0;
}

// True when mpg123 decodes at least one frame and meets no error before the end.
bool decodesAsMp3(const Text& path) {
    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> decoder(mpg123_new(nullptr, &error),
                                                                     &mpg123_delete);
    if (!decoder) {
        return false;
    }
    mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    if (mpg123_open(decoder.get(), gbkToUtf8(path).c_str()) != MPG123_OK) {
        return false;
    }
    std::vector<unsigned char> buffer(65536);
    std::size_t total = 0;
    for (;;) {
        std::size_t done = 0;
        const int result = mpg123_read(decoder.get(), buffer.data(), buffer.size(), &done);
        total += done;
        if (result == MPG123_DONE) {
            break;
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            mpg123_close(decoder.get());
            return false;
        }
    }
    mpg123_close(decoder.get());
    return total > 0;
}

}  // namespace

bool isWavContent(std::string_view bytes) {
    return bytes.size() > 11 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE";
}

bool isMidiContent(std::string_view bytes) {
    return bytes.size() > 4 && bytes.substr(0, 4) == "MThd";
}

bool isPlayableMidi(std::string_view bytes) {
    if (!isMidiContent(bytes) || bytes.size() < 14) {
        return false;
    }
    const std::uint32_t headerLength = bigEndian(bytes, 4, 4);
    if (headerLength < 6 || bytes.size() - 8 < headerLength) {
        return false;
    }
    std::size_t pos = 8 + headerLength;
    int tracks = 0;
    int notes = 0;
    while (bytes.size() - pos >= 8) {
        const std::string_view id = bytes.substr(pos, 4);
        const std::uint32_t length = bigEndian(bytes, pos + 4, 4);
        pos += 8;
        if (bytes.size() - pos < length) {
            return false;
        }
        if (id == "MTrk") {
            if (!walkTrack(bytes.substr(pos, length), notes)) {
                return false;
            }
            ++tracks;
        }
        pos += length;
    }
    return tracks > 0 && notes > 0;
}

PlayOutcome probeCueFile(const Text& path, CuePlayer player) {
    if (!fileExists(path)) {
        return PlayOutcome::FileMissing;
    }
    const std::string head = readFile(path, 12);
    bool decodes = false;
    if (isWavContent(head)) {
        decodes = decodesAsWav(path);
    } else if (isMidiContent(head)) {
        decodes = isPlayableMidi(readFile(path));
    } else if (player == CuePlayer::Compressed) {
        decodes = decodesAsMp3(path);
    }
    return decodes ? PlayOutcome::Started : PlayOutcome::Undecodable;
}

}  // namespace exambell
