#pragma once
// HTTP and HTTPS servers on 127.0.0.1 for the network tests, plus a server that accepts
// connections and never answers and a port where nobody listens.

#include <httplib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace exambell::test {

class TestServer {
  public:
    TestServer();
    // HTTPS with a certificate for 127.0.0.1 made in `folder` (cert.pem is its own CA).
    explicit TestServer(const std::filesystem::path& folder);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Routes are added before start().
    httplib::Server& routes() { return *server_; }
    void start();
    // "http://127.0.0.1:port" (or https), without a trailing slash.
    std::string base() const;
    int port() const { return port_; }
    const std::string& certificate() const { return certificate_; }

  private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    bool secure_ = false;
    std::string certificate_;
};

// A listening socket that takes connections (the kernel completes them) and never answers.
class SilentServer {
  public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int port() const { return port_; }

  private:
    int socket_ = -1;
    int port_ = 0;
};

// Answers every connection with fixed bytes, whatever was asked, and closes it.
class RawServer {
  public:
    explicit RawServer(std::string answer);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    std::string answer_;
    int socket_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// A port on 127.0.0.1 that was free a moment ago.
int closedPort();

}  // namespace exambell::test
