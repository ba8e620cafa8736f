#include "tests/net/TestServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace exambell::test {
namespace {

// A socket bound to 127.0.0.1 on a port of the system's choice; returns the port.
int bindLoopback(int socket) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return 0;
    }
    socklen_t length = sizeof address;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

}  // namespace

TestServer::TestServer() : server_(std::make_unique<httplib::Server>()) {}

TestServer::TestServer(const std::filesystem::path& folder) : secure_(true) {
    const std::filesystem::path key = folder / "key.pem";
    const std::filesystem::path cert = folder / "cert.pem";
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj "
        "/CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key.string() + "' -out '" + cert.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    certificate_ = cert.string();
    server_ = std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str());
}

TestServer::~TestServer() {
    if (thread_.joinable()) {
        // stop() only ends a loop that has begun.
        while (!server_->is_running()) {
            std::this_thread::yield();
        }
    }
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TestServer::start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    // The socket listens from here on: a request made now waits in the queue.
    thread_ = std::thread([this] { server_->listen_after_bind(); });
}

std::string TestServer::base() const {
    return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

SilentServer::SilentServer() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    port_ = bindLoopback(socket_);
    ::listen(socket_, 8);
}

SilentServer::~SilentServer() {
    ::close(socket_);
}

RawServer::RawServer(std::string answer)
    : answer_(std::move(answer)), socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    port_ = bindLoopback(socket_);
    ::listen(socket_, 8);
    thread_ = std::thread([this] {
        while (true) {
            const int client = ::accept(socket_, nullptr, nullptr);
            if (client < 0) {
                return;  // the listening socket was shut down
            }
            // Read the request's head, so that closing does not reset the connection.
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(n));
            }
            ::send(client, answer_.data(), answer_.size(), MSG_NOSIGNAL);
            ::shutdown(client, SHUT_WR);
            while (::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
            ::close(client);
        }
    });
}

RawServer::~RawServer() {
    ::shutdown(socket_, SHUT_RDWR);
    thread_.join();
    ::close(socket_);
}

int closedPort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = bindLoopback(s);
    ::close(s);
    return port;
}

}  // namespace exambell::test
