#pragma once
// The exam-room clock as a web page on the school's network: GET of the page, its static files
// (compiled into the program) and /state, the display state as JSON with the server's time.
// Nothing else: no other method, no other path, no file system, no settings, no student names.
//
// The server runs on threads of its own: the listening thread, the head reader (one thread that
// reads the request heads of all new connections at once, RequestHeadReader) and a fixed pool of
// workers that answer whole heads. The window's thread only hands over a copy of the state once
// a second (publish), under a lock that a request holds for the time of a copy; no request ever
// waits for the window's thread.
//
// Limits against hostile or broken clients: slow or idle clients wait in the head reader, not in
// a worker, so they cannot hold up the others' pages; a second from the accept to the first byte
// and three to the whole head; a head of at most 16 KiB and 100 lines (else 431), 8 KiB per line
// (the library's own limit); at most 64 connections of one address and 256 in all being read
// (beyond that the listening thread stops accepting and the system's backlog takes the rest); a
// bounded queue of whole heads for the workers; one request per connection, five seconds from
// the accept to the end of the answer, no body.

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
class RequestHeadReader;

class DisplayServer {
  public:
    struct Limits {
        int workers = 16;
        // Whole heads waiting for a worker; also the listen backlog.
        int queuedConnections = 256;
        // Connections whose head is being read: of one client address, and in all.
        int connectionsPerAddress = 64;
        int readingConnections = 256;
        std::size_t maxHeadBytes = 16 * 1024;
        int maxHeadLines = 100;
        // From the accept (time queued included) to the request's first byte.
        int firstByteMilliseconds = 1000;
        // From the accept to the head's blank line.
        int headMilliseconds = 3000;
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

    enum class StartFailure {
        None,
        BadPort,         // not 0..65535
        InUse,           // another program listens on the port
        NeedsPrivilege,  // a port below 1024 for a program without the right to bind it
        NotThisMachine,  // the address is no address of this computer (or no address at all)
        Other,
    };

    // Binds (address "" or "0.0.0.0": every IPv4 address; "::" every address, IPv6 and IPv4; an
    // IPv6 address may come in brackets; port 0: any free port) and starts serving; false when
    // the address cannot be bound, and startFailure() says why.
    bool start(const std::string& address, int port);
    StartFailure startFailure() const { return failure_; }
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
    // Of those, the answers that carry the clock (/state, /room): a page's round trips.
    std::int64_t clockAnswered() const { return clockAnswered_; }

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
    std::unique_ptr<RequestHeadReader> heads_;
    std::atomic<bool> running_{false};
    int port_ = 0;
    StartFailure failure_ = StartFailure::None;
    std::atomic<std::int64_t> answered_{0};
    std::atomic<std::int64_t> clockAnswered_{0};

    std::mutex stateLock_;
    bool published_ = false;
    DisplayState state_;
    std::int64_t publishedMilliseconds_ = 0;
    std::chrono::steady_clock::time_point publishedAt_;

    RoomService rooms_;
};

// Why host:port cannot be bound, found by binding it once more with a socket of our own (the
// library keeps no error); Other when it can be bound now.
DisplayServer::StartFailure bindFailure(const std::string& host, int port);

}  // namespace exambell
