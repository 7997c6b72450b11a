#include "Errors.h"

#include "StringTable.h"

#include <cstring>

namespace qn::odbc {

namespace {
constexpr std::size_t kMaxMessage = 511; // 512 bytes with the terminator
}

void recordError(ErrorRecord &rec, const char *state, int messageId, SQLINTEGER native) {
    if (rec.set)
        return;
    rec.state = state;
    rec.message = (messagePrefix() + stringEntry(messageId)).substr(0, kMaxMessage);
    rec.native = native;
    rec.set = true;
}

void recordCommError(Connection &conn, ErrorRecord &rec, SQLINTEGER native, const char *state) {
    recordCommErrorCode(conn, rec, native, state, conn.link ? conn.link->error() : 301u);
}

void recordCommErrorCode(Connection &conn, ErrorRecord &rec, SQLINTEGER native, const char *state, unsigned code) {
    if (!rec.set) {
        rec.state = state;
        rec.message = (messagePrefix() + stringEntry(15) + communicationText(code)).substr(0, kMaxMessage);
        rec.native = native;
        rec.set = true;
    }
    if (isConnectionLossCode(code)) {
        conn.connected = false;
        conn.handshakeDone = false;
        conn.optionsApplied = false;
        conn.connectedAtServer = false;
        // The socket of a lost session is released now rather than at the next connect.
        if (conn.link)
            conn.link->detach();
    }
}

bool requireConnected(Connection &conn, ErrorRecord &rec) {
    if (conn.connected)
        return true;
    recordError(rec, "08S01", 30);
    return false;
}

bool copyOut(const std::string &text, SQLCHAR *dest, long capacity) {
    if (!dest || capacity <= 0)
        return text.empty() && dest != nullptr && capacity > 0;
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(dest, text.data(), n);
    dest[n] = 0;
    return n == text.size();
}

SQLRETURN returnRecord(ErrorRecord &rec, SQLCHAR *state, SQLINTEGER *native, SQLCHAR *message,
                       SQLSMALLINT capacity, SQLSMALLINT *length) {
    if (state) {
        std::memset(state, 0, 6);
        std::memcpy(state, rec.state.data(), std::min<std::size_t>(rec.state.size(), 5));
    }
    if (native)
        *native = rec.native;
    std::size_t copied = 0;
    if (message && capacity > 0) {
        copied = std::min<std::size_t>(rec.message.size(), static_cast<std::size_t>(capacity - 1));
        std::memcpy(message, rec.message.data(), copied);
        message[copied] = 0;
    }
    if (length)
        *length = static_cast<SQLSMALLINT>(copied);
    rec.clear();
    return SQL_SUCCESS;
}

} // namespace qn::odbc
