#include "Connection.h"

#include "Encryption.h"
#include "Log.h"
#include "RequestHandler.h"
#include "ServerConfig.h"
#include "driver/session/Protocol.h"
#include "driver/wire/Items.h"
#include "driver/wire/MessageBuffer.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <memory>

namespace qn::server {
namespace {

namespace proto = qn::protocol;


// Owns the two buffers of a connection: requests are read into one and replies built in
// the other, so a handler can read the request while it writes the reply.
struct Buffers {
    qn::MessageBuffer in;
    qn::MessageBuffer out;
    bool ok = false;
    Buffers(const ServerConfig& config, const Encryption* encryption) {
        ok = msgInitialize(&in) == 1 && msgInitialize(&out) == 1;
        if (!ok) return;
        qn::setMaxSize(in, config.maxMessageSize);
        qn::setMaxSize(out, config.maxMessageSize);
        if (encryption) {
            encryption->attach(in);
            encryption->attach(out);
        }
    }
    ~Buffers() {
        msgDestroy(&in);
        msgDestroy(&out);
    }
    Buffers(const Buffers&) = delete;
    Buffers& operator=(const Buffers&) = delete;
};

class Conversation {
public:
    explicit Conversation(const ConnectionSetup& setup)
        : setup_(setup), buffers_(*setup.config, setup.encryption) {
        context_.id = setup.id;
        context_.peerAddress = setup.peer;
        context_.config = setup.config;
    }

    ~Conversation() {
        if (handler_) handler_->disconnected(context_);
    }

    void run() {
        if (!buffers_.ok) {
            logLine(tag() + "out of memory");
            return;
        }
        while (step()) {
        }
    }

private:
    std::string tag() const { return "client " + std::to_string(setup_.id) + " (" + setup_.peer + "): "; }
    bool encrypting() const { return setup_.encryption && setup_.encryption->active(); }

    // One message in, one reply out. False ends the conversation.
    bool step() {
        qn::MessageBuffer& in = buffers_.in;
        const std::uint32_t status = msgReceive(setup_.fd, &in, nullptr);
        if (status == qn::MESSAGE_DECRYPT_FAILED) {
            // The body was read whole, so the stream is still in step.
            logLine(tag() + "message could not be decrypted");
            if (!handshakeDone_) return refuse(proto::REFUSE_DECRYPT_FAILED);
            return reply(msgGetType(&in), proto::kReplyError);
        }
        if (status == qn::MESSAGE_INVALID_FORMAT || status == qn::MESSAGE_SIZE_TOO_BIG) {
            // Framing is lost: nothing after this header can be trusted.
            logLine(tag() + (status == qn::MESSAGE_SIZE_TOO_BIG ? "message too large"
                                                                 : "malformed message") +
                    ", closing");
            if (reply(0, proto::kReplyError)) closeGently();
            return false;
        }
        if (status != qn::MESSAGE_OK) return false;  // gone, reset or shut down

        const std::int32_t type = msgGetType(&in);
        if (type == qn::kProbeType) {
            msgClean(&buffers_.out);
            msgSetType(&buffers_.out, qn::kProbeReplyType);
            msgSetExtraData(&buffers_.out, qn::kProbeExtra);
            return send();
        }
        if (type == qn::kHandshakeType) return handshake();
        if (type >= 0 || !handshakeDone_) {
            logLine(tag() + "unexpected message type " + std::to_string(type));
            return reply(type, proto::kReplyError);
        }
        return request(type);
    }

    bool handshake() {
        qn::MessageBuffer& in = buffers_.in;
        if (msgGetExtraData(&in) != qn::kHandshakeExtra) {
            logLine(tag() + "handshake of another protocol version");
            return refuse(proto::REFUSE_BAD_SERVER_LIBRARY);
        }
        std::uint32_t requested = 0;
        if (!readFirstLong(requested)) {
            logLine(tag() + "malformed handshake");
            return refuse(proto::REFUSE_INIT_FAILED);
        }
        if (setup_.overLimit) {
            logLine(tag() + "too many connections");
            return refuse(proto::REFUSE_NO_THREAD);
        }
        const ServerConfig& config = *setup_.config;
        context_.grantedOptions = requested & config.grantableOptions;
        context_.maxMessageSize = config.maxMessageSize;
        context_.maxStatements = config.maxStatements;
        if (!handshakeDone_ && setup_.factory) {
            handler_ = setup_.factory->create(context_);
            if (!handler_) {
                logLine(tag() + "no request handler");
                return refuse(proto::REFUSE_NO_THREAD);
            }
        }
        handshakeDone_ = true;

        qn::MessageBuffer& out = buffers_.out;
        msgClean(&out);
        msgSetType(&out, qn::kHandshakeType);
        msgSetExtraData(&out, qn::kHandshakeExtra);
        unsigned char item[12 + proto::kSessionResultSize];
        qn::writeU32(item, 1);
        qn::writeU32(item + 4, qn::ITEM_BINARY);
        qn::writeU32(item + 8, proto::kSessionResultSize);
        qn::writeU32(item + 12, context_.grantedOptions);
        qn::writeU32(item + 16, context_.maxMessageSize);
        qn::writeU32(item + 20, context_.maxStatements);
        if (msgSetSize(&out, sizeof item) != 1) return false;
        msgPutDataItem(&out, 0, item, sizeof item);
        logLine(tag() + "session opened, options " + std::to_string(context_.grantedOptions));
        return send();
    }

    bool request(std::int32_t type) {
        if (!handler_) return reply(type, proto::kReplyError);
        qn::MessageBuffer& out = buffers_.out;
        msgClean(&out);
        msgSetType(&out, type & 0x7FFFFFFF);
        handler_->handle(context_, buffers_.in, out);
        // Replies never carry a negative type, whatever the handler left there.
        msgSetType(&out, msgGetType(&out) & 0x7FFFFFFF);
        return send();
    }

    // The handshake request's first item, which must be a 32-bit integer.
    bool readFirstLong(std::uint32_t& value) {
        qn::MessageBuffer& in = buffers_.in;
        if (msgGetSize(&in) < 16) return false;
        const unsigned char* item = in.data;
        if (qn::readU32(item + 4) != qn::ITEM_LONG || qn::readU32(item + 8) != 4) return false;
        value = qn::readU32(item + 12);
        return true;
    }

    // Closing with unread input would reset the connection, and a reset may destroy the
    // reply before the client reads it: end our side first, then read briefly what the
    // client still sends.
    void closeGently() {
        shutdown(setup_.fd, SHUT_WR);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        std::size_t drained = 0;
        unsigned char sink[4096];
        while (drained < (1u << 20)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{setup_.fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            const ssize_t n = recv(setup_.fd, sink, sizeof sink, 0);
            if (n <= 0) break;
            drained += static_cast<std::size_t>(n);
        }
    }

    // A handshake refusal ends the conversation once it is sent.
    bool refuse(std::uint32_t code) {
        msgClean(&buffers_.out);
        msgSetType(&buffers_.out, qn::kHandshakeType);
        msgSetExtraData(&buffers_.out, code);
        if (encrypting()) {
            // A body gets enciphered, so a client without the plug-in learns that it
            // cannot follow this server instead of reading a bare refusal code.
            unsigned char item[12] = {};
            qn::writeU32(item, 1);
            qn::writeU32(item + 4, qn::ITEM_NULL);
            if (msgSetSize(&buffers_.out, sizeof item) == 1) {
                msgPutDataItem(&buffers_.out, 0, item, sizeof item);
            }
        }
        send();
        return false;
    }

    bool reply(std::int32_t type, std::uint32_t extra) {
        qn::MessageBuffer& out = buffers_.out;
        msgClean(&out);
        msgSetType(&out, type == -1 ? 0 : (type & 0x7FFFFFFF));
        msgSetExtraData(&out, extra);
        return send();
    }

    bool send() {
        qn::MessageBuffer& out = buffers_.out;
        const std::uint32_t status = msgSend(setup_.fd, &out);
        if (status != qn::MESSAGE_OK) {
            logLine(tag() + "send failed with status " + std::to_string(status));
            return false;
        }
        return true;
    }

    const ConnectionSetup& setup_;
    Buffers buffers_;
    ConnectionContext context_;
    std::unique_ptr<RequestHandler> handler_;
    bool handshakeDone_ = false;
};

}  // namespace

void serveConnection(const ConnectionSetup& setup) {
    try {
        Conversation conversation(setup);
        conversation.run();
    } catch (const std::exception& e) {
        // A handler's failure ends this client only, never the server.
        logLine("client " + std::to_string(setup.id) + ": " + e.what());
    }
}

}  // namespace qn::server
