#include "display/DisplayServer.h"

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <QFile>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <thread>
#include <vector>

namespace exambell {

namespace {
using Steady = std::chrono::steady_clock;
// When the connection a worker is about to serve was accepted.
thread_local Steady::time_point tAcceptedAt;
}  // namespace

// httplib's own pool queues every accepted connection without bound. This one holds at most
// `capacity` waiting connections; past that, enqueue (on the listening thread) waits for room,
// so no more connections are accepted and the system's listen backlog takes the overflow.
class BoundedWorkerPool : public httplib::TaskQueue {
  public:
    BoundedWorkerPool(int workers, int capacity) : capacity_(static_cast<std::size_t>(capacity)) {
        for (int i = 0; i < workers; ++i) {
            threads_.emplace_back([this] { work(); });
        }
    }
    ~BoundedWorkerPool() override { shutdown(); }

    void enqueue(std::function<void()> fn) override {
        std::unique_lock<std::mutex> lock(mutex_);
        roomFreed_.wait(lock, [this] { return jobs_.size() < capacity_ || stopping_; });
        // Stopping: the job still runs, as it owns the connection's socket; with the server
        // closed it only closes the socket.
        jobs_.push_back(Job{std::move(fn), Steady::now()});
        jobAdded_.notify_one();
    }

    void shutdown() override {
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

    // Lets a listening thread that waits for room go on, so that it sees the server stop.
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        roomFreed_.notify_all();
    }

  private:
    void work() {
        for (;;) {
            Job job;
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
            tAcceptedAt = job.acceptedAt;
            job.run();
        }
    }

    struct Job {
        std::function<void()> run;
        Steady::time_point acceptedAt;
    };

    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable jobAdded_;
    std::condition_variable roomFreed_;
    std::deque<Job> jobs_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
    bool shutDown_ = false;
};

namespace {

// httplib deletes its task queue when it stops listening; the pool itself stays with the
// DisplayServer, so that stop() can reach it at any moment.
class PoolHandle : public httplib::TaskQueue {
  public:
    explicit PoolHandle(BoundedWorkerPool& pool) : pool_(pool) {}
    void enqueue(std::function<void()> fn) override { pool_.enqueue(std::move(fn)); }
    void shutdown() override { pool_.shutdown(); }

  private:
    BoundedWorkerPool& pool_;
};

// A connection's socket with every wait cut at the connection's deadline: a client that sends
// its request slowly, or reads the answer slowly, loses the connection when the deadline passes
// however steadily it trickles.
class DeadlineStream : public httplib::Stream {
  public:
    DeadlineStream(int fd, Steady::time_point deadline, std::chrono::milliseconds ioTimeout,
                   const std::atomic<bool>& stopping)
        : fd_(fd), deadline_(deadline), ioTimeout_(ioTimeout), stopping_(stopping) {}

    bool is_readable() const override { return buffered_ < filled_ || wait(POLLIN); }
    bool is_writable() const override { return wait(POLLOUT); }

    ssize_t read(char* ptr, size_t size) override {
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

// httplib's server with its connection handling replaced: one request per connection, the first
// byte within a second of the accept (time spent queued counts, so a flood of idle connections
// drains at once), and the whole request and answer within a deadline.
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

  private:
    bool process_and_close_socket(int sock) override {
        const Steady::time_point accepted = tAcceptedAt;
        const auto firstByteBy =
            accepted + std::chrono::milliseconds(limits_.firstByteMilliseconds);
        bool ok = false;
        if (firstByte(sock, firstByteBy)) {
            DeadlineStream stream(
                sock, accepted + std::chrono::milliseconds(limits_.requestMilliseconds),
                std::chrono::milliseconds(limits_.readWriteMilliseconds), stopping_);
            bool closed = false;
            ok = process_request(stream, true, closed, nullptr);
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return ok;
    }

    // Whether the client sent something by the given moment; waits in short slices, so that a
    // stopping server does not wait for idle clients.
    bool firstByte(int sock, Steady::time_point by) const {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(by - Steady::now());
            if (stopping_ || svr_sock_ == INVALID_SOCKET) {
                return false;
            }
            pollfd p{sock, POLLIN, 0};
            const int ready =
                ::poll(&p, 1, static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 100)));
            if (ready != 0) {
                return ready > 0;
            }
            if (left.count() <= 0) {
                return false;
            }
        }
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
    if (port < 0 || port > 65535) {
        return false;
    }
    server_ = std::make_unique<GuardedHttpServer>(limits_);
    httplib::Server& s = *server_;
    pool_ = std::make_unique<BoundedWorkerPool>(limits_.workers, limits_.queuedConnections);
    s.new_task_queue = [this] { return new PoolHandle(*pool_); };
    s.set_payload_max_length(limits_.maxBodyBytes);
    // The listening thread's wait between connections. httplib's default on Linux is zero: the
    // thread would spin on a whole core while the page is served.
    s.set_idle_interval(0, 100000);
    route();
    const std::string host = address.empty() ? std::string("0.0.0.0") : address;
    if (port == 0) {
        port_ = s.bind_to_any_port(host);
    } else {
        port_ = s.bind_to_port(host, port) ? port : 0;
    }
    if (port_ <= 0) {
        port_ = 0;
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
    pool_->release();
    static_cast<GuardedHttpServer&>(*server_).stopping_ = true;
    server_->stop();
    if (listener_.joinable()) {
        listener_.join();
    }
    pool_->shutdown();
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
