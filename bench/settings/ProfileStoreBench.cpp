// The cost of saving and loading the settings one key at a time, as the program does: a first
// save writes 7 cue sections of 2 keys and 4 exam sections of 4 keys, every key on its own (each
// write re-reads the file and replaces it through a temporary file), and start-up reads them back.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "settings/ProfileStore.h"
#include "text/Paths.h"

namespace exambell {
namespace {

struct Key {
    Text section;
    Text key;
    Text value;
};

std::vector<Key> firstSave(int round) {
    std::vector<Key> keys;
    for (int n = 1; n <= 7; ++n) {
        keys.push_back({"music_" + toText(n), "src",
                        "/home/office/exambell/\xD3\xEF\xD2\xF4\xCE\xC4\xBC\xFE\xBF\xE2/0" +
                            toText(n) + ".mp3"});  // 语音文件库
        keys.push_back({"music_" + toText(n), "use_is", toText(round % 2)});
    }
    for (int n = 1; n <= 4; ++n) {
        keys.push_back({"exam_" + toText(n), "subject", "\xCA\xFD\xD1\xA7"});  // 数学
        keys.push_back({"exam_" + toText(n), "start_time", twoDigits(8 + n) + ":00"});
        keys.push_back(
            {"exam_" + toText(n), "long_time", toText(90 + round % 60) + "\xB7\xD6\xD6\xD3"});
        keys.push_back({"exam_" + toText(n), "use_is", "1"});
    }
    return keys;
}

class Folder {
  public:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "exambell-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Text ini() const { return joinPath(pathText(path_), "config.ini"); }

  private:
    std::filesystem::path path_;
};

void reportPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A first save: the file does not exist before it.
void BM_FirstSave(benchmark::State& state) {
    Folder folder;
    Text ini = folder.ini();
    std::vector<Key> keys = firstSave(0);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(nativePath(ini));
        state.ResumeTiming();
        for (const Key& k : keys) {
            if (!ProfileStore::write(ini, k.section, k.key, k.value)) {
                state.SkipWithError("write failed");
            }
        }
    }
    state.counters["writes"] = static_cast<double>(keys.size());
}
BENCHMARK(BM_FirstSave)->Unit(benchmark::kMillisecond);

// A later save over an existing file where some values change.
void BM_SaveChanged(benchmark::State& state) {
    Folder folder;
    Text ini = folder.ini();
    int round = 0;
    for (auto _ : state) {
        for (const Key& k : firstSave(++round)) {
            if (!ProfileStore::write(ini, k.section, k.key, k.value)) {
                state.SkipWithError("write failed");
            }
        }
    }
}
BENCHMARK(BM_SaveChanged)->Unit(benchmark::kMillisecond);

// Loading the saved settings back, every key on its own.
void BM_ReadBack(benchmark::State& state) {
    Folder folder;
    Text ini = folder.ini();
    std::vector<Key> keys = firstSave(0);
    for (const Key& k : keys) {
        ProfileStore::write(ini, k.section, k.key, k.value);
    }
    for (auto _ : state) {
        for (const Key& k : keys) {
            benchmark::DoNotOptimize(ProfileStore::read(ini, k.section, k.key, ""));
        }
    }
}
BENCHMARK(BM_ReadBack)->Unit(benchmark::kMicrosecond);

// The same reads from a 50 MB file of garbage with the settings at its end: time and memory stay
// bounded (each read scans the file in 64 KB chunks).
void BM_ReadBackFromGarbage(benchmark::State& state) {
    Folder folder;
    Text ini = folder.ini();
    {
        std::ofstream out(nativePath(ini), std::ios::binary);
        std::uint64_t x = 88172645463325252u;
        for (std::size_t i = 0; i < (50u << 20) / sizeof x; ++i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            out.write(reinterpret_cast<const char*>(&x), sizeof x);
        }
        out << "\r\n";
    }
    std::vector<Key> keys = firstSave(0);
    for (const Key& k : keys) {
        ProfileStore::write(ini, k.section, k.key, k.value);
    }
    for (auto _ : state) {
        for (const Key& k : keys) {
            benchmark::DoNotOptimize(ProfileStore::read(ini, k.section, k.key, ""));
        }
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_ReadBackFromGarbage)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace exambell

BENCHMARK_MAIN();
