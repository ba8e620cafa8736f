#include "net/BackgroundWork.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace exambell {
namespace {

constexpr std::chrono::milliseconds kPassInterval{5};

}  // namespace

void runBesideEvents(const std::function<void()>& work, const EventPass& pass) {
    if (!pass) {
        work();
        return;
    }
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::thread worker([&] {
        work();
        std::lock_guard<std::mutex> guard(lock);
        done = true;
        finished.notify_one();
    });
    while (true) {
        {
            std::unique_lock<std::mutex> guard(lock);
            if (finished.wait_for(guard, kPassInterval, [&] { return done; })) {
                break;
            }
        }
        pass();
    }
    worker.join();
}

}  // namespace exambell
