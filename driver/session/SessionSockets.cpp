#include "SessionSockets.h"

#include "driver/wire/Status.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace qn::session {
namespace {

// inet_aton takes the same forms as the classic inet_addr ("127.1", "0x7f.1").
bool parseDotted(const std::string& name, in_addr& out) {
    return !name.empty() && inet_aton(name.c_str(), &out) != 0;
}

bool resolve(const std::string& name, in_addr& out) {
    if (parseDotted(name, out)) return true;
    if (name.empty()) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

std::string dotted(const in_addr& addr) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &addr, text, sizeof text);
    return text;
}

}  // namespace

bool isDottedAddress(const std::string& name) {
    in_addr a{};
    return parseDotted(name, a);
}

bool resolveAddress(const std::string& name, std::string& out) {
    in_addr a{};
    if (!resolve(name, a)) return false;
    out = dotted(a);
    return true;
}

std::string peerAddress(int socket) {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &len) != 0 ||
        peer.sin_family != AF_INET) {
        return {};
    }
    return dotted(peer.sin_addr);
}

}  // namespace qn::session

// Windows Sockets start-up and release have no counterpart here: POSIX sockets need
// neither, so they cannot fail.

QN_EXPORT int cltBeginSessionByPort(const char* name, int port, int* socket, uint32_t* status) {
    uint32_t local = 0;
    uint32_t& st = status ? *status : local;
    if (!name || !socket) {
        st = qn::CMESSAGE_INVALID_ARGUMENT;
        return 0;
    }
    *socket = qn::session::kInvalidSocket;
    in_addr address{};
    // A port that does not fit the 16-bit field would silently reach another port.
    if (port < 0 || port > 65535 || !qn::session::resolve(name, address)) {
        st = qn::WSAEINVAL;
        return 0;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        st = qn::wsaFromErrno(errno);
        return 0;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr = address;
    target.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        st = qn::wsaFromErrno(errno);
        close(fd);
        return 0;
    }
    *socket = fd;
    st = qn::CLIENT_OK;
    return 1;
}

QN_EXPORT int cltEndSession(int* socket, uint32_t* status) {
    uint32_t local = 0;
    uint32_t& st = status ? *status : local;
    if (!socket || *socket < 0) {
        st = qn::CMESSAGE_INVALID_ARGUMENT;
        return 0;
    }
    const int fd = *socket;
    // The descriptor is gone after close() whatever it returns; never retry it.
    *socket = qn::session::kInvalidSocket;
    if (close(fd) != 0) {
        st = qn::wsaFromErrno(errno);
        return 0;
    }
    st = qn::CLIENT_OK;
    return 1;
}
