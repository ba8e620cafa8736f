#include "display/RequestHeadReader.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace exambell {
namespace {

constexpr char kTooLarge[] =
    "HTTP/1.1 431 Request Header Fields Too Large\r\n"
    "Content-Type: text/plain; charset=utf-8\r\n"
    "Content-Length: 3\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Connection: close\r\n"
    "\r\n"
    "431";

// How long a refused client's further bytes are read and dropped before the socket closes, so
// that it can read the 431 instead of seeing the connection reset under its feet.
constexpr std::chrono::milliseconds kDrain{500};
// Longest single wait of the loop: it wakes for every add and for stop anyway.
constexpr std::chrono::milliseconds kLongestWait{1000};
constexpr std::size_t kReadSize = 4096;

// The peer's address without its port: what the per-address count goes by.
std::string peerAddress(int socket) {
    sockaddr_storage a{};
    socklen_t length = sizeof a;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
        return {};
    }
    if (a.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(a);
        return std::string(reinterpret_cast<const char*>(&v4.sin_addr), sizeof v4.sin_addr);
    }
    if (a.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(a);
        return std::string(reinterpret_cast<const char*>(&v6.sin6_addr), sizeof v6.sin6_addr);
    }
    return {};
}

void closeSocket(int socket) {
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

}  // namespace

RequestHeadReader::RequestHeadReader(const Limits& limits, Ready ready)
    : limits_(limits), ready_(std::move(ready)), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    thread_ = std::thread([this] { run(); });
}

RequestHeadReader::~RequestHeadReader() {
    stop();
    if (wake_ >= 0) {
        ::close(wake_);
    }
}

void RequestHeadReader::add(int socket) {
    Connection c;
    c.socket = socket;
    c.address = peerAddress(socket);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        roomFreed_.wait(lock, [this] { return held_ < limits_.total || stopping_; });
        auto counted = perAddress_.find(c.address);
        if (stopping_ || (counted != perAddress_.end() && counted->second >= limits_.perAddress)) {
            lock.unlock();
            closeSocket(socket);
            return;
        }
        ++held_;
        ++perAddress_[c.address];
        c.accepted = Steady::now();
        incoming_.push_back(std::move(c));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
}

void RequestHeadReader::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    roomFreed_.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    if (thread_.joinable()) {
        thread_.join();
    }
}

int RequestHeadReader::reading() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}

void RequestHeadReader::release(const Connection& c) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --held_;
        auto counted = perAddress_.find(c.address);
        if (counted != perAddress_.end() && --counted->second <= 0) {
            perAddress_.erase(counted);
        }
    }
    roomFreed_.notify_one();
}

RequestHeadReader::Steady::time_point RequestHeadReader::deadline(const Connection& c) const {
    if (c.refused) {
        return c.drainedBy;
    }
    return c.accepted + (c.bytes.empty() ? limits_.firstByte : limits_.wholeHead);
}

void RequestHeadReader::refuse(Connection& c, Steady::time_point now) const {
    [[maybe_unused]] const ssize_t n =
        ::send(c.socket, kTooLarge, sizeof kTooLarge - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(c.socket, SHUT_WR);
    c.refused = true;
    c.drainedBy = now + kDrain;
    std::string().swap(c.bytes);
}

RequestHeadReader::Outcome RequestHeadReader::readFrom(Connection& c,
                                                       Steady::time_point now) const {
    char buffer[kReadSize];
    if (c.refused) {
        const ssize_t n = ::recv(c.socket, buffer, sizeof buffer, MSG_DONTWAIT);
        return n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR)) ? Outcome::Keep
                                                                       : Outcome::Close;
    }
    // Never more than maxBytes in all: a head that fills them without ending is refused.
    const std::size_t room = std::min(kReadSize, limits_.maxBytes - c.bytes.size());
    const ssize_t n = ::recv(c.socket, buffer, room, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return Outcome::Keep;
    }
    if (n <= 0) {
        return Outcome::Close;  // gone before its head was whole
    }
    const std::size_t from = c.bytes.size();
    c.bytes.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t i = from; i < c.bytes.size(); ++i) {
        if (c.bytes[i] != '\n') {
            continue;
        }
        const std::size_t length = i - c.lineStart;
        if (length == 0 || (length == 1 && c.bytes[c.lineStart] == '\r')) {
            return Outcome::Ready;  // the blank line that ends the head
        }
        c.lineStart = i + 1;
        if (++c.lines > limits_.maxLines) {
            refuse(c, now);
            return Outcome::Keep;
        }
    }
    if (c.bytes.size() >= limits_.maxBytes) {
        refuse(c, now);
    }
    return Outcome::Keep;
}

void RequestHeadReader::run() {
    std::vector<Connection> table;
    std::vector<pollfd> polled;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                break;
            }
            for (Connection& c : incoming_) {
                table.push_back(std::move(c));
            }
            incoming_.clear();
        }
        auto now = Steady::now();
        auto until = now + kLongestWait;
        polled.assign(1, pollfd{wake_, POLLIN, 0});
        for (const Connection& c : table) {
            polled.push_back(pollfd{c.socket, POLLIN, 0});
            until = std::min(until, deadline(c));
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        // Rounded up, so that a deadline a fraction of a millisecond ahead is not spun on.
        const int ready = ::poll(
            polled.data(), polled.size(),
            static_cast<int>(std::clamp<std::int64_t>(wait.count() + 1, 0, kLongestWait.count())));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (polled[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wake_, &count, sizeof count);
        }
        now = Steady::now();
        std::vector<Connection> kept;
        kept.reserve(table.size());
        for (std::size_t i = 0; i < table.size(); ++i) {
            Connection& c = table[i];
            Outcome outcome = Outcome::Keep;
            if (polled[i + 1].revents != 0) {
                outcome = readFrom(c, now);
            }
            if (outcome == Outcome::Keep && now >= deadline(c)) {
                outcome = Outcome::Close;
            }
            switch (outcome) {
                case Outcome::Keep:
                    kept.push_back(std::move(c));
                    break;
                case Outcome::Close:
                    // Counted out first: once the client sees the close, its address has room.
                    release(c);
                    closeSocket(c.socket);
                    break;
                case Outcome::Ready:
                    release(c);
                    ready_(c.socket, std::move(c.bytes), c.accepted);
                    break;
            }
        }
        table.swap(kept);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (Connection& c : incoming_) {
        table.push_back(std::move(c));
    }
    incoming_.clear();
    for (const Connection& c : table) {
        closeSocket(c.socket);
    }
    held_ = 0;
    perAddress_.clear();
}

}  // namespace exambell
