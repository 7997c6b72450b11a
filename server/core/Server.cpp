#include "Server.h"

#include "Connection.h"
#include "Encryption.h"
#include "Log.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qn::server {
namespace {

bool resolveListenAddress(const std::string& name, in_addr& out) {
    if (inet_pton(AF_INET, name.c_str(), &out) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

Server::Server(ServerConfig config, std::unique_ptr<RequestHandlerFactory> factory)
    : config_(std::move(config)), factory_(std::move(factory)) {}

Server::~Server() {
    stop();
    reapFinished(true);
    if (listenFd_ >= 0) close(listenFd_);
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
}

bool Server::start(std::string& error) {
    encryption_ = std::make_unique<Encryption>();
    if (!config_.encryption.empty() &&
        !encryption_->load(config_.encryption, config_.pluginDir, error)) {
        return false;
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = errnoText("pipe");
        return false;
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(config_.port);
    if (!resolveListenAddress(config_.listenAddress, addr.sin_addr)) {
        error = "cannot resolve listen address " + config_.listenAddress;
        return false;
    }
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = errnoText("socket");
        return false;
    }
    const int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = errnoText(("bind " + config_.listenAddress + ":" + std::to_string(config_.port)).c_str());
        return false;
    }
    if (listen(listenFd_, 64) != 0) {
        error = errnoText("listen");
        return false;
    }
    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &len);
    port_ = ntohs(bound.sin_port);

    if (!config_.portFile.empty()) {
        // Written to a temporary name and renamed, so a reader never sees half a number.
        const std::string tmp = config_.portFile + ".tmp";
        {
            std::ofstream out(tmp, std::ios::trunc);
            out << port_ << "\n";
            if (!out) {
                error = "cannot write port file " + tmp;
                return false;
            }
        }
        if (std::rename(tmp.c_str(), config_.portFile.c_str()) != 0) {
            error = errnoText("rename port file");
            return false;
        }
    }
    logLine("listening on " + config_.listenAddress + ":" + std::to_string(port_) +
            (encryption_->active() ? " with encryption " + config_.encryption : std::string()));
    return true;
}

void Server::stop() {
    stopping_.store(true);
    if (wakeWrite_ >= 0) {
        const char c = 1;
        // Only async-signal-safe calls here; a full pipe already wakes the loop.
        [[maybe_unused]] const ssize_t n = write(wakeWrite_, &c, 1);
    }
}

void Server::run() {
    while (!stopping_.load()) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int n = poll(fds, 2, 1000);
        reapFinished(false);
        if (n < 0) {
            if (errno == EINTR) continue;
            logLine(errnoText("poll"));
            break;
        }
        if (fds[1].revents) break;
        if (fds[0].revents & POLLIN) acceptOne();
    }
    logLine("stopping");
    {
        // Wake every connection thread out of its blocking read.
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& c : connections_) shutdown(c->fd, SHUT_RDWR);
    }
    reapFinished(true);
    logLine("stopped");
}

void Server::acceptOne() {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED) logLine(errnoText("accept"));
        return;
    }
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);

    auto conn = std::make_unique<Connection>();
    conn->fd = fd;
    Connection* raw = conn.get();
    ConnectionSetup setup;
    setup.fd = fd;
    setup.id = nextId_++;
    setup.peer = text;
    setup.config = &config_;
    setup.factory = factory_.get();
    setup.encryption = encryption_.get();
    setup.overLimit = active_.load() >= config_.maxConnections;
    std::lock_guard<std::mutex> lock(mutex_);
    ++active_;
    try {
        raw->thread = std::thread([this, raw, setup] {
            serveConnection(setup);
            // The client sees the end now; the descriptor itself is closed when reaped.
            shutdown(setup.fd, SHUT_RDWR);
            --active_;
            raw->finished.store(true);
        });
    } catch (const std::system_error&) {
        logLine("cannot start a thread for " + setup.peer);
        --active_;
        close(fd);
        return;
    }
    connections_.push_back(std::move(conn));
}

void Server::reapFinished(bool all) {
    std::list<std::unique_ptr<Connection>> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (all || (*it)->finished.load()) {
                done.push_back(std::move(*it));
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // The socket is closed only after its thread ended, so shutdown() above never hits
    // a descriptor number that was already reused.
    for (auto& c : done) {
        if (c->thread.joinable()) c->thread.join();
        close(c->fd);
    }
}

}  // namespace qn::server
