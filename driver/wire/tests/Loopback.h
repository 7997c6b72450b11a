#pragma once
// Test support: an initialised buffer, a connected TCP pair on 127.0.0.1 (free port) and raw writes
// for a peer that misbehaves on purpose.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "driver/wire/MessageBuffer.h"

namespace qn::test {

// An initialised message buffer, destroyed with the scope.
struct Buffer {
    MessageBuffer b;
    Buffer() { EXPECT_EQ(msgInitialize(&b), 1); }
    ~Buffer() { msgDestroy(&b); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
};

struct Loopback {
    int client = -1;  // the side under test
    int peer = -1;    // the test's side

    Loopback() {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        socklen_t len = sizeof addr;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            throw std::runtime_error("loopback listener");
        }
        client = ::socket(AF_INET, SOCK_STREAM, 0);
        if (client < 0 || ::connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            throw std::runtime_error("loopback connect");
        }
        peer = ::accept(listener, nullptr, nullptr);
        ::close(listener);
        if (peer < 0) {
            throw std::runtime_error("loopback accept");
        }
    }
    ~Loopback() {
        closeClient();
        closePeer();
    }
    Loopback(const Loopback&) = delete;
    Loopback& operator=(const Loopback&) = delete;

    // Hands the client socket to an owner that closes it (a channel).
    int releaseClient() {
        const int fd = client;
        client = -1;
        return fd;
    }
    void closeClient() {
        if (client >= 0) ::close(client);
        client = -1;
    }
    void closePeer() {
        if (peer >= 0) ::close(peer);
        peer = -1;
    }
    void peerWrite(const std::vector<uint8_t>& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(peer, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) throw std::runtime_error("peer write");
            done += size_t(n);
        }
    }
    // Reads exactly n bytes the client sent.
    std::vector<uint8_t> peerRead(size_t n) const {
        std::vector<uint8_t> out(n);
        size_t done = 0;
        while (done < n) {
            const ssize_t got = ::recv(peer, out.data() + done, n - done, 0);
            if (got <= 0) throw std::runtime_error("peer read");
            done += size_t(got);
        }
        return out;
    }
};

inline void putLe32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

// A raw 20-byte header followed by body.
inline std::vector<uint8_t> rawMessage(uint32_t magic, uint32_t type, uint32_t size, uint32_t extra,
                                       uint32_t info, const std::vector<uint8_t>& body = {}) {
    std::vector<uint8_t> v;
    putLe32(v, magic);
    putLe32(v, type);
    putLe32(v, size);
    putLe32(v, extra);
    putLe32(v, info);
    v.insert(v.end(), body.begin(), body.end());
    return v;
}

}  // namespace qn::test
