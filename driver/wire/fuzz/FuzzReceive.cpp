// Feeds arbitrary bytes to the receive path and the item readers, as a peer
// would send them: through a socket, into a channel, item by item.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/wire/Channel.h"

namespace {

// Reads every item of the received message the way the driver and the server do.
void readItems(qn::Channel& c) {
    for (int guard = 0; guard < 1000; ++guard) {
        qn::ItemHeader h;
        if (!c.peekItem(h)) {
            return;
        }
        bool ok = false;
        bool absent = false;
        switch (h.tag) {
        case qn::ITEM_SHORT: {
            int16_t v;
            ok = c.getShort(&v);
            break;
        }
        case qn::ITEM_LONG: {
            int32_t v;
            ok = c.getLong(&v);
            break;
        }
        case qn::ITEM_HDBC:
        case qn::ITEM_HSTMT:
        case qn::ITEM_HENV: {
            uint32_t v;
            ok = c.getHandle(h.tag, &v, &absent);
            break;
        }
        case qn::ITEM_STRING:
        case qn::ITEM_SCRAMBLED: {
            // A small area first (too large is refused), then the whole text.
            char small[16];
            uint32_t n = 0;
            ok = c.getString(h.tag, small, sizeof small, &n, &absent);
            if (!ok) {
                std::string text;
                ok = c.getText(h.tag, &text, &absent);
            }
            break;
        }
        case qn::ITEM_BINARY: {
            unsigned char area[256];
            uint32_t n = 0;
            ok = c.getBinary(area, sizeof area, &n, &absent, h.index);
            break;
        }
        case qn::ITEM_NULL: {
            unsigned char area[4];
            ok = c.getItem(h.index, qn::ITEM_STRING, area, sizeof area, nullptr, &absent);
            break;
        }
        default:
            if (qn::isOutputTag(h.tag)) {
                uint32_t capacity = 0;
                uint32_t presence = 0;
                ok = c.getOutput(h.tag, &capacity, &presence, &absent);
            }
            break;
        }
        if (!ok) {
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
        return 0;
    }
    // Whatever fits in the socket is the peer's whole conversation.
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(fds[1], data + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += size_t(n);
    }
    ::shutdown(fds[1], SHUT_WR);

    qn::Channel channel;
    if (channel.attach(fds[0])) {
        // The peer has finished, so waiting without limit ends at its close.
        for (int messages = 0; messages < 64 && channel.receive(); ++messages) {
            channel.replyCode();
            readItems(channel);
        }
        channel.errorText();
    }
    channel.detach();
    ::close(fds[1]);
    return 0;
}
