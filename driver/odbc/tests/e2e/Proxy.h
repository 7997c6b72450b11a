// A loopback relay between the driver and the server: it counts the requests the
// driver sends, and can reset every connection as a failing server would.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class Proxy {
public:
    explicit Proxy(int serverPort) : serverPort_(serverPort) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a);
        listen(listener_, 8);
        socklen_t len = sizeof a;
        getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { loop(); });
    }
    ~Proxy() {
        stop_ = true;
        thread_.join();
        close(listener_);
        for (auto &p : pairs_) {
            close(p.client);
            close(p.server);
        }
    }
    int port() const { return port_; }
    // Requests the driver has sent so far (whole messages).
    long requests() const { return requests_; }
    // Every byte the driver has sent so far.
    std::string sent() {
        std::lock_guard<std::mutex> g(m_);
        return sent_;
    }
    // Ends every relayed connection with a reset, and refuses nothing new.
    void resetAll() {
        std::lock_guard<std::mutex> g(m_);
        for (auto &p : pairs_) {
            linger l{1, 0};
            setsockopt(p.client, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            close(p.client);
            close(p.server);
            p.client = p.server = -1;
        }
        pairs_.clear();
    }

private:
    struct Pair {
        int client, server;
        std::vector<unsigned char> pending; // client bytes not yet counted as whole messages
    };

    void count(Pair &p, const unsigned char *data, ssize_t n) {
        sent_.append(reinterpret_cast<const char *>(data), static_cast<std::size_t>(n));
        p.pending.insert(p.pending.end(), data, data + n);
        for (;;) {
            if (p.pending.size() < 20)
                return;
            std::uint32_t size = 0;
            std::memcpy(&size, p.pending.data() + 8, 4);
            if (p.pending.size() < 20 + size)
                return;
            ++requests_;
            p.pending.erase(p.pending.begin(), p.pending.begin() + 20 + size);
        }
    }

    void loop() {
        while (!stop_) {
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            {
                std::lock_guard<std::mutex> g(m_);
                for (auto &p : pairs_) {
                    fds.push_back({p.client, POLLIN, 0});
                    fds.push_back({p.server, POLLIN, 0});
                }
            }
            if (poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            std::lock_guard<std::mutex> g(m_);
            if (fds[0].revents & POLLIN)
                accept1();
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
                    const bool fromClient = it->client == fds[i].fd;
                    if (!fromClient && it->server != fds[i].fd)
                        continue;
                    unsigned char buf[65536];
                    const ssize_t n = read(fds[i].fd, buf, sizeof buf);
                    if (n <= 0) {
                        close(it->client);
                        close(it->server);
                        pairs_.erase(it);
                    } else {
                        if (fromClient)
                            count(*it, buf, n);
                        (void)!write(fromClient ? it->server : it->client, buf, static_cast<std::size_t>(n));
                    }
                    break;
                }
            }
        }
    }

    void accept1() {
        const int c = accept(listener_, nullptr, nullptr);
        if (c < 0)
            return;
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(serverPort_));
        if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
            close(c);
            close(s);
            return;
        }
        const int one = 1;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        pairs_.push_back({c, s, {}});
    }

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long> requests_{0};
    std::mutex m_;
    std::vector<Pair> pairs_;
    std::string sent_;
    std::thread thread_;
};
