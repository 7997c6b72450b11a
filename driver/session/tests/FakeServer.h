#pragma once
// Test support: a scripted server on 127.0.0.1 (free port) that answers the probe and
// the handshake the way a test asks, and records what it was sent.

#include "driver/session/Protocol.h"
#include "driver/wire/MessageBuffer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace qn::test {

class FakeServer {
public:
    std::uint32_t handshakeExtra = qn::kHandshakeExtra;  // what the handshake reply carries
    std::uint32_t granted = 0x1F;
    std::uint32_t maxMessageSize = 65536;
    std::uint32_t maxStatements = 7;
    bool answerProbe = true;       // false: accept, read, and stay silent
    bool sendResultBlock = true;   // false: a granted handshake without its 12-byte item

    FakeServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            throw std::runtime_error("fake server listener");
        }
        port_ = ntohs(addr.sin_port);
    }
    ~FakeServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        for (auto& t : clients_) t.join();
        ::close(listener_);
    }
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    // Call after setting the script fields.
    void start() { thread_ = std::thread([this] { loop(); }); }
    int port() const { return port_; }

    std::uint32_t requestedOptions() const { return requested_.load(); }
    int handshakes() const { return handshakes_.load(); }
    int probes() const { return probes_.load(); }
    int connections() const { return connections_.load(); }

private:
    void loop() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) continue;
            ++connections_;
            clients_.emplace_back([this, fd] {
                serve(fd);
                ::close(fd);
            });
        }
    }

    void serve(int fd) {
        MessageBuffer in, out;
        msgInitialize(&in);
        msgInitialize(&out);
        timeval wait{0, 200000};
        while (!stop_) {
            const std::uint32_t st = msgReceive(fd, &in, &wait);
            if (st == MESSAGE_CONNECTION_CLOSED) {
                // Silence is not the end: only a closed peer is. A time-out re-checks stop_.
                char c;
                const ssize_t n = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) break;
                continue;
            }
            if (st != MESSAGE_OK) break;
            msgClean(&out);
            if (msgGetType(&in) == qn::kProbeType) {
                ++probes_;
                if (!answerProbe) continue;
                msgSetType(&out, qn::kProbeReplyType);
            } else if (msgGetType(&in) == qn::kHandshakeType) {
                ++handshakes_;
                if (msgGetSize(&in) >= 16) requested_ = qn::readU32(in.data + 12);
                msgSetType(&out, qn::kHandshakeType);
                msgSetExtraData(&out, handshakeExtra);
                if (handshakeExtra == qn::kHandshakeExtra && sendResultBlock) {
                    unsigned char item[24];
                    qn::writeU32(item, 1);
                    qn::writeU32(item + 4, 0x1102);
                    qn::writeU32(item + 8, 12);
                    qn::writeU32(item + 12, granted);
                    qn::writeU32(item + 16, maxMessageSize);
                    qn::writeU32(item + 20, maxStatements);
                    msgSetSize(&out, sizeof item);
                    msgPutDataItem(&out, 0, item, sizeof item);
                }
            } else {
                msgSetType(&out, 0);
                msgSetExtraData(&out, 0xFFFF);
            }
            if (msgSend(fd, &out) != MESSAGE_OK) break;
        }
        msgDestroy(&in);
        msgDestroy(&out);
    }

    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::vector<std::thread> clients_;  // touched by the accepting thread only
    std::atomic<bool> stop_{false};
    std::atomic<std::uint32_t> requested_{0};
    std::atomic<int> handshakes_{0};
    std::atomic<int> probes_{0};
    std::atomic<int> connections_{0};
};

}  // namespace qn::test
