#include "display/DisplayServer.h"

#include <httplib.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <thread>
#include <vector>

#include "display/RequestHeadReader.h"

namespace exambell {

namespace {
using Steady = std::chrono::steady_clock;
}  // namespace

// The workers that answer whole request heads. httplib's own pool queues without bound; this one
// holds at most `capacity` waiting requests, past that enqueue waits for room (and with it the
// head reader, so that heads pile up there, within its limits).
class BoundedWorkerPool {
  public:
    BoundedWorkerPool(int workers, int capacity) : capacity_(static_cast<std::size_t>(capacity)) {
        for (int i = 0; i < workers; ++i) {
            threads_.emplace_back([this] { work(); });
        }
    }
    ~BoundedWorkerPool() { shutdown(); }

    void enqueue(std::function<void()> fn) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            roomFreed_.wait(lock, [this] { return jobs_.size() < capacity_ || stopping_; });
            if (!shutDown_) {
                jobs_.push_back(std::move(fn));
                jobAdded_.notify_one();
                return;
            }
        }
        // No workers any more: the job owns its connection's socket and, with the server
        // stopping, only closes it.
        fn();
    }

    void shutdown() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (shutDown_) {
                return;
            }
            stopping_ = true;
            shutDown_ = true;
        }
        jobAdded_.notify_all();
        roomFreed_.notify_all();
        for (std::thread& t : threads_) {
            t.join();
        }
    }

    // Lets an enqueue that waits for room go on, so that the head reader sees the server stop.
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        roomFreed_.notify_all();
    }

  private:
    void work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                jobAdded_.wait(lock, [this] { return !jobs_.empty() || shutDown_; });
                if (jobs_.empty()) {
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
                roomFreed_.notify_one();
            }
            job();
        }
    }

    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable jobAdded_;
    std::condition_variable roomFreed_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
    bool shutDown_ = false;
};

namespace {

// httplib hands each accepted connection to its task queue, on the listening thread. This one
// runs the hand-over there at once: process_and_close_socket only passes the socket on to the
// head reader, which never keeps the listening thread longer than its limits say.
class InlineTaskQueue : public httplib::TaskQueue {
  public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

// A connection's socket whose head the head reader has read already, with every wait cut at the
// connection's deadline: a client that reads the answer slowly, or trickles a body, loses the
// connection when the deadline passes.
class DeadlineStream : public httplib::Stream {
  public:
    DeadlineStream(int fd, std::string head, Steady::time_point deadline,
                   std::chrono::milliseconds ioTimeout, const std::atomic<bool>& stopping)
        : fd_(fd),
          head_(std::move(head)),
          deadline_(deadline),
          ioTimeout_(ioTimeout),
          stopping_(stopping) {}

    bool is_readable() const override {
        return headRead_ < head_.size() || buffered_ < filled_ || wait(POLLIN);
    }
    bool is_writable() const override { return wait(POLLOUT); }

    ssize_t read(char* ptr, size_t size) override {
        if (headRead_ < head_.size()) {
            const std::size_t n = std::min(size, head_.size() - headRead_);
            std::memcpy(ptr, head_.data() + headRead_, n);
            headRead_ += n;
            return static_cast<ssize_t>(n);
        }
        if (buffered_ == filled_) {
            if (!wait(POLLIN)) {
                return -1;
            }
            const ssize_t n = ::recv(fd_, buffer_, sizeof buffer_, 0);
            if (n <= 0) {
                return n;
            }
            buffered_ = 0;
            filled_ = static_cast<std::size_t>(n);
        }
        const std::size_t n = std::min(size, filled_ - buffered_);
        std::memcpy(ptr, buffer_ + buffered_, n);
        buffered_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!wait(POLLOUT)) {
            return -1;
        }
        return ::send(fd_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        address(::getsockname, ip, port);
    }
    int socket() const override { return fd_; }

  private:
    // Waits in short slices, so that a stopping server does not wait out its clients.
    bool wait(short events) const {
        const auto until = std::min(deadline_, Steady::now() + ioTimeout_);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Steady::now());
            if (left.count() <= 0 || stopping_) {
                return false;
            }
            pollfd p{fd_, events, 0};
            const int ready =
                ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 100)));
            if (ready != 0) {
                return ready > 0 && (p.revents & events);
            }
        }
    }

    template <typename Query>
    void address(Query query, std::string& ip, int& port) const {
        sockaddr_storage a{};
        socklen_t length = sizeof a;
        ip.clear();
        port = 0;
        if (query(fd_, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
            return;
        }
        char text[INET6_ADDRSTRLEN] = {};
        if (a.ss_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
            ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
            port = ntohs(v4->sin_port);
        } else if (a.ss_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
            ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
            port = ntohs(v6->sin6_port);
        }
        ip = text;
    }

    int fd_;
    std::string head_;
    std::size_t headRead_ = 0;
    Steady::time_point deadline_;
    std::chrono::milliseconds ioTimeout_;
    const std::atomic<bool>& stopping_;
    char buffer_[4096];
    std::size_t buffered_ = 0;
    std::size_t filled_ = 0;
};

constexpr const char* kResourceFolder = ":/display/";

struct PageFile {
    const char* path;      // as requested
    const char* resource;  // under kResourceFolder
    const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"/", "index.html", "text/html; charset=utf-8"},
    {"/index.html", "index.html", "text/html; charset=utf-8"},
    {"/display.css", "display.css", "text/css; charset=utf-8"},
    {"/display.js", "display.js", "text/javascript; charset=utf-8"},
    {"/room.js", "room.js", "text/javascript; charset=utf-8"},
    {"/room.css", "room.css", "text/css; charset=utf-8"},
    {"/fit.js", "fit.js", "text/javascript; charset=utf-8"},
};

void commonHeaders(httplib::Response& res) {
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "no-referrer");
    // The page and its script come from here and nowhere else; it connects only back to here.
    res.set_header("Content-Security-Policy",
                   "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
                   "img-src 'self'; media-src 'self'; base-uri 'none'; form-action 'none'; "
                   "frame-ancestors 'none'");
}

}  // namespace

// httplib's server with its connection handling replaced: the listening thread hands each new
// connection to the head reader; a worker answers a whole head, one request per connection, with
// the request and its answer done within a deadline from the accept.
class GuardedHttpServer : public httplib::Server {
  public:
    explicit GuardedHttpServer(const DisplayServer::Limits& limits) : limits_(limits) {
        // SO_REUSEADDR only: httplib's default also sets SO_REUSEPORT, with which a second
        // program could bind the same port and take half of the connections.
        set_socket_options([](int sock) {
            int yes = 1;
            ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
    }

    // Set before listening starts.
    RequestHeadReader* heads = nullptr;

    // On a worker: the request whose head (and what followed it) is `bytes`.
    void serve(int sock, std::string bytes, Steady::time_point accepted) {
        if (!stopping_) {
            DeadlineStream stream(sock, std::move(bytes),
                                  accepted + std::chrono::milliseconds(limits_.requestMilliseconds),
                                  std::chrono::milliseconds(limits_.readWriteMilliseconds),
                                  stopping_);
            bool closed = false;
            process_request(stream, true, closed, nullptr);
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
    }

  private:
    bool process_and_close_socket(int sock) override {
        heads->add(sock);
        return true;
    }

    const DisplayServer::Limits limits_;

  public:
    // httplib listens with a backlog of 5: a burst of classrooms connecting at the same moment
    // would see SYNs dropped and retried a second later. Listening again widens it.
    void widenBacklog(int backlog) {
        const int sock = svr_sock_;
        if (sock != INVALID_SOCKET) {
            ::listen(sock, backlog);
        }
    }

    std::atomic<bool> stopping_{false};
};

namespace {

// The host to bind: "" is every IPv4 address; an IPv6 address may come in brackets.
std::string bindHost(const std::string& address) {
    if (address.empty()) {
        return "0.0.0.0";
    }
    if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
        return address.substr(1, address.size() - 2);
    }
    return address;
}

}  // namespace

DisplayServer::StartFailure bindFailure(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return DisplayServer::StartFailure::NotThisMachine;
    }
    DisplayServer::StartFailure failure = DisplayServer::StartFailure::Other;
    const int sock = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, 0);
    if (sock >= 0) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(sock, found->ai_addr, found->ai_addrlen) != 0) {
            switch (errno) {
                case EADDRINUSE:
                    failure = DisplayServer::StartFailure::InUse;
                    break;
                case EACCES:
                case EPERM:
                    failure = DisplayServer::StartFailure::NeedsPrivilege;
                    break;
                case EADDRNOTAVAIL:
                case EAFNOSUPPORT:
                    failure = DisplayServer::StartFailure::NotThisMachine;
                    break;
                default:
                    break;
            }
        }
        ::close(sock);
    }
    ::freeaddrinfo(found);
    return failure;
}

DisplayServer::DisplayServer() : DisplayServer(Limits{}) {}

DisplayServer::DisplayServer(const Limits& limits) : limits_(limits) {
    // Read once here, on the constructing thread: requests only ever read these copies.
    for (const PageFile& f : kPageFiles) {
        QFile file(QString::fromLatin1(kResourceFolder) + QString::fromLatin1(f.resource));
        if (file.open(QIODevice::ReadOnly)) {
            files_[f.path] = File{file.readAll(), f.type};
        }
    }
}

DisplayServer::~DisplayServer() {
    stop();
}

bool DisplayServer::start(const std::string& address, int port) {
    stop();
    failure_ = StartFailure::None;
    if (port < 0 || port > 65535) {
        failure_ = StartFailure::BadPort;
        return false;
    }
    server_ = std::make_unique<GuardedHttpServer>(limits_);
    httplib::Server& s = *server_;
    pool_ = std::make_unique<BoundedWorkerPool>(limits_.workers, limits_.queuedConnections);
    auto& guarded = static_cast<GuardedHttpServer&>(s);
    RequestHeadReader::Limits heads;
    heads.maxBytes = limits_.maxHeadBytes;
    heads.maxLines = limits_.maxHeadLines;
    heads.perAddress = limits_.connectionsPerAddress;
    heads.total = limits_.readingConnections;
    heads.firstByte = std::chrono::milliseconds(limits_.firstByteMilliseconds);
    heads.wholeHead = std::chrono::milliseconds(limits_.headMilliseconds);
    heads_ = std::make_unique<RequestHeadReader>(
        heads, [this, &guarded](int sock, std::string bytes, Steady::time_point accepted) {
            pool_->enqueue([&guarded, sock, bytes = std::move(bytes), accepted]() mutable {
                guarded.serve(sock, std::move(bytes), accepted);
            });
        });
    guarded.heads = heads_.get();
    s.new_task_queue = [] { return new InlineTaskQueue; };
    s.set_payload_max_length(limits_.maxBodyBytes);
    // The listening thread's wait between connections. httplib's default on Linux is zero: the
    // thread would spin on a whole core while the page is served.
    s.set_idle_interval(0, 100000);
    route();
    const std::string host = bindHost(address);
    if (port == 0) {
        port_ = s.bind_to_any_port(host);
    } else {
        port_ = s.bind_to_port(host, port) ? port : 0;
    }
    if (port_ <= 0) {
        port_ = 0;
        failure_ = bindFailure(host, port);
        heads_.reset();
        server_.reset();
        pool_.reset();
        return false;
    }
    static_cast<GuardedHttpServer&>(s).widenBacklog(limits_.queuedConnections);
    running_ = true;
    listenerEnded_ = false;
    listener_ = std::thread([this] {
        server_->listen_after_bind();
        listenerEnded_ = true;
    });
    // httplib's stop() only reaches a listening loop that already runs: wait for it, so that a
    // stop right after the start cannot miss it and leave the thread listening for good.
    while (!server_->is_running() && !listenerEnded_) {
        std::this_thread::yield();
    }
    return true;
}

void DisplayServer::stop() {
    if (!server_) {
        return;
    }
    // In this order: the head reader may wait for room in the pool, and the listening thread
    // for room in the head reader.
    pool_->release();
    static_cast<GuardedHttpServer&>(*server_).stopping_ = true;
    heads_->stop();
    server_->stop();
    if (listener_.joinable()) {
        listener_.join();
    }
    pool_->shutdown();
    heads_.reset();
    server_.reset();
    pool_.reset();
    running_ = false;
    port_ = 0;
}

void DisplayServer::publish(const DisplayState& state, std::int64_t serverMilliseconds) {
    const auto at = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(stateLock_);
    state_ = state;
    publishedMilliseconds_ = serverMilliseconds;
    publishedAt_ = at;
    published_ = true;
}

QByteArray DisplayServer::stateBody() {
    DisplayState state;
    std::int64_t serverMilliseconds = 0;
    {
        std::lock_guard<std::mutex> lock(stateLock_);
        if (!published_) {
            return {};
        }
        state = state_;
        serverMilliseconds =
            publishedMilliseconds_ + std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - publishedAt_)
                                         .count();
    }
    return displayStateJson(state, serverMilliseconds);
}

std::int64_t DisplayServer::officeMilliseconds() {
    std::lock_guard<std::mutex> lock(stateLock_);
    if (!published_) {
        return 0;
    }
    return publishedMilliseconds_ + std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - publishedAt_)
                                        .count();
}

void DisplayServer::route() {
    httplib::Server& s = *server_;
    // Anything but GET (and HEAD, which httplib answers from the GET handlers) is refused before
    // a byte of its body is read.
    s.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET" || req.method == "HEAD") {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        commonHeaders(res);
        res.status = 405;
        res.set_header("Allow", "GET, HEAD");
        res.set_header("Connection", "close");
        return httplib::Server::HandlerResponse::Handled;
    });
    // One handler for every path: a path is served only when it is one of the page's own names,
    // compared as decoded by httplib, so "/../", "%2e%2e" and the like simply are not found.
    s.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        commonHeaders(res);
        if (req.path == "/state") {
            const QByteArray body = stateBody();
            if (body.isEmpty()) {
                res.status = 503;
                return;
            }
            res.set_header("Cache-Control", "no-store");
            res.set_content(body.constData(), static_cast<std::size_t>(body.size()),
                            "application/json; charset=utf-8");
            ++answered_;
            ++clockAnswered_;
            return;
        }
        // The room pages' own requests (their clock, their reports, the recordings).
        if (RoomService::serves(req.path)) {
            const RoomService::Answer a =
                rooms_.answer(req.path, req.params, req.remote_addr, officeMilliseconds());
            res.status = a.status;
            if (a.status == 200) {
                res.set_header("Cache-Control", req.path == "/room" ? "no-store" : "no-cache");
                res.set_content(a.body.constData(), static_cast<std::size_t>(a.body.size()),
                                a.type.c_str());
                ++answered_;
                if (req.path == "/room") {
                    ++clockAnswered_;
                }
            }
            return;
        }
        auto it = files_.find(req.path);
        if (it == files_.end()) {
            res.status = 404;
            return;
        }
        res.set_header("Cache-Control", "no-cache");
        res.set_content(it->second.body.constData(),
                        static_cast<std::size_t>(it->second.body.size()), it->second.type.c_str());
        ++answered_;
    });
    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        commonHeaders(res);
        res.set_content(std::to_string(res.status), "text/plain; charset=utf-8");
    });
}

}  // namespace exambell
