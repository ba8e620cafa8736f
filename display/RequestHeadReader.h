#pragma once
// The first stage of the web page's server: one thread that reads the request head of every new
// connection, all of them at once with poll. A client that sends its request a byte at a time,
// or never, holds a socket and a buffer of at most maxBytes here, never a worker thread; only a
// whole head within the limits goes on to a worker.
//
// A head longer than maxBytes or with more than maxLines lines is answered 431 at once and the
// connection closed after a short drain, whatever the client still sends; nothing of it is kept.
// A connection without a first byte within firstByte of its accept, or without a whole head
// within wholeHead, is closed. One client address holds at most perAddress connections here
// (more are closed as they come); with `total` held, add() waits, so the listening thread stops
// accepting and the system's listen backlog takes the overflow.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace exambell {

class RequestHeadReader {
  public:
    using Steady = std::chrono::steady_clock;

    struct Limits {
        // The request line and the header lines with their line ends and the blank line.
        std::size_t maxBytes = 16 * 1024;
        // The request line and the header lines.
        int maxLines = 100;
        int perAddress = 64;
        int total = 256;
        std::chrono::milliseconds firstByte{1000};  // from the accept
        std::chrono::milliseconds wholeHead{3000};  // from the accept
    };

    // A whole head: the connection (now the callee's to close), the bytes read (the head, and
    // anything the client sent after it in the same reads) and the moment of the accept. Called
    // on the reader's thread; may wait.
    using Ready = std::function<void(int socket, std::string bytes, Steady::time_point accepted)>;

    RequestHeadReader(const Limits& limits, Ready ready);
    ~RequestHeadReader();
    RequestHeadReader(const RequestHeadReader&) = delete;
    RequestHeadReader& operator=(const RequestHeadReader&) = delete;

    // Takes a connection just accepted (the reader closes it from now on). Waits while `total`
    // connections are being read; closes it at once when its address already has perAddress,
    // or when the reader has stopped.
    void add(int socket);
    // Closes every connection still being read and ends the thread; a waiting add() goes on.
    void stop();
    // Connections being read now (for tests and the benchmark).
    int reading() const;

  private:
    struct Connection {
        int socket = -1;
        std::string address;  // the peer's address bytes, without the port
        Steady::time_point accepted;
        std::string bytes;
        std::size_t lineStart = 0;  // where the line being read starts in bytes
        int lines = 0;              // whole lines read
        bool refused = false;       // answered 431; what still comes is read and dropped
        Steady::time_point drainedBy;
    };
    enum class Outcome { Keep, Ready, Close };

    void run();
    Outcome readFrom(Connection& c, Steady::time_point now) const;
    void refuse(Connection& c, Steady::time_point now) const;
    Steady::time_point deadline(const Connection& c) const;
    void release(const Connection& c);

    const Limits limits_;
    const Ready ready_;
    int wake_ = -1;  // eventfd: a connection was added, or stop

    mutable std::mutex mutex_;
    std::condition_variable roomFreed_;
    std::vector<Connection> incoming_;
    std::map<std::string, int> perAddress_;
    int held_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace exambell
