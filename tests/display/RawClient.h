#pragma once
// Raw TCP clients for the server tests: connections that send what a browser never would.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

namespace exambell {

// A connected socket, or -1 when the server did not take the connection within timeoutMs.
inline int connectTo(int port, int timeoutMs = 5000) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int error = 0;
    socklen_t length = sizeof error;
    pollfd p{fd, POLLOUT, 0};
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 &&
        (errno != EINPROGRESS || ::poll(&p, 1, timeoutMs) <= 0 ||
         ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, 0);
    return fd;
}

inline void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;  // the server closed the connection: what a refusal looks like too
        }
        sent += static_cast<std::size_t>(n);
    }
}

// Everything the server sends until it closes the connection (or the deadline passes; then the
// text ends with "<open>").
inline std::string readUntilClosed(int fd, int timeoutMs) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            return got + "<open>";
        }
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            return got;
        }
        got.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace exambell
