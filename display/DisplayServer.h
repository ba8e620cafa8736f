#pragma once
// The exam-room clock as a web page on the school's network: GET of the page, its static files
// (compiled into the program) and /state, the display state as JSON with the server's time.
// Nothing else: no other method, no other path, no file system, no settings, no student names.
//
// The server runs on threads of its own: the listening thread and a fixed pool of workers. The
// window's thread only hands over a copy of the state once a second (publish), under a lock
// that a request holds for the time of a copy; no request ever waits for the window's thread.
//
// Limits against hostile or broken clients: a fixed number of workers and a bounded queue of
// accepted connections (beyond it the listening thread stops accepting and the system's backlog
// refuses), one request per connection, a second from the accept to the first byte, five to the
// end of the answer, 8 KiB per request line and header line (the library's own limit), no body.

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "display/DisplayState.h"
#include "display/RoomService.h"

namespace httplib {
class Server;
}

namespace exambell {

class BoundedWorkerPool;

class DisplayServer {
  public:
    struct Limits {
        int workers = 16;
        int queuedConnections = 256;
        // From the accept (time queued included) to the request's first byte.
        int firstByteMilliseconds = 1000;
        // From the accept to the last byte of the answer.
        int requestMilliseconds = 5000;
        // Longest wait for one read or write.
        int readWriteMilliseconds = 2000;
        std::size_t maxBodyBytes = 0;
    };

    DisplayServer();
    explicit DisplayServer(const Limits& limits);
    ~DisplayServer();
    DisplayServer(const DisplayServer&) = delete;
    DisplayServer& operator=(const DisplayServer&) = delete;

    // Binds (address "" or "0.0.0.0": every IPv4 address; port 0: any free port) and starts
    // serving; false when the address cannot be bound (in use, not this machine's, bad port).
    bool start(const std::string& address, int port);
    // Stops serving and waits for the server's threads; connections still open are closed.
    void stop();
    bool running() const { return running_; }
    // The port bound, or 0.
    int port() const { return port_; }

    // The state to serve from now on; serverMilliseconds is the local time it was taken at
    // (localEpochMilliseconds). The time a request reports runs on from there.
    void publish(const DisplayState& state, std::int64_t serverMilliseconds);

    // The room pages' side: their feed, their reports (see RoomService).
    RoomService& rooms() { return rooms_; }
    const RoomService& rooms() const { return rooms_; }
    // The server's local milliseconds now: the last published time run on; 0 before any.
    std::int64_t officeMilliseconds();

    // Requests answered with 200 since start (for tests and the benchmark).
    std::int64_t answered() const { return answered_; }

  private:
    struct File {
        QByteArray body;
        std::string type;
    };
    void route();
    QByteArray stateBody();

    Limits limits_;
    std::map<std::string, File> files_;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    std::atomic<bool> listenerEnded_{false};
    std::unique_ptr<BoundedWorkerPool> pool_;
    std::atomic<bool> running_{false};
    int port_ = 0;
    std::atomic<std::int64_t> answered_{0};

    std::mutex stateLock_;
    bool published_ = false;
    DisplayState state_;
    std::int64_t publishedMilliseconds_ = 0;
    std::chrono::steady_clock::time_point publishedAt_;

    RoomService rooms_;
};

}  // namespace exambell
