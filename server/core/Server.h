#pragma once
// Listener and connection threads of the server. One thread serves one client.

#include "RequestHandler.h"
#include "ServerConfig.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qn::server {

class Encryption;

class Server {
public:
    // `factory` may be null: every request after the handshake then gets an error reply.
    Server(ServerConfig config, std::unique_ptr<RequestHandlerFactory> factory);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Loads the plug-in, binds and listens, writes the port file. False with `error`.
    bool start(std::string& error);
    std::uint16_t port() const { return port_; }

    // Accepts until stop(); then closes every connection and waits for its thread.
    void run();

    // Safe from a signal handler and from any thread.
    void stop();

    std::size_t activeConnections() const { return active_.load(); }

private:
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void acceptOne();
    void reapFinished(bool all);

    ServerConfig config_;
    std::unique_ptr<RequestHandlerFactory> factory_;
    std::unique_ptr<Encryption> encryption_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> active_{0};
    std::uint64_t nextId_ = 1;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace qn::server
