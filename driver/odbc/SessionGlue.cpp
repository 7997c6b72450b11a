#include "SessionGlue.h"

#include "Errors.h"
#include "Options.h"

#include "driver/session/Session.h"

namespace qn::odbc {

SQLRETURN openServerSession(Connection &conn) {
    if (!conn.link)
        conn.link = makeChannelLink();
    qn::session::SessionState state;
    state.handshakeDone = conn.handshakeDone && conn.link->isOpen();
    state.result.grantedOptions = conn.grantedOptions;
    state.result.maxStatements = conn.maxStatements;
    qn::session::SessionRequest request;
    request.dataSource = conn.dsn;
    request.serverName = &conn.serverName;
    request.networkAddress = conn.networkAddr;
    request.storedAddress = conn.storedIp;
    request.portText = conn.port;
    request.encryption = conn.encryption;
    request.timeoutText = conn.timeout;
    request.tryStoredAddress = conn.tryIp;
    // The GetData caches (bits 2 and 16) move column data into reply blocks that this
    // driver does not read yet; asking for them would leave SQLGetData without data.
    request.requestedOptions = conn.requestedOptions & ~(2u | 16u);
    qn::session::SessionFailure failure;
    const bool hadHandshake = state.handshakeDone;
    if (qn::session::openServerSession(conn.link->channel(), state, request, failure) != 0) {
        if (failure.kind == qn::session::SessionFailure::Kind::Communication)
            recordCommErrorCode(conn, conn.error, failure.nativeCode, failure.sqlState.c_str(), failure.status);
        else
            recordError(conn.error, failure.sqlState.empty() ? "08S01" : failure.sqlState.c_str(),
                        failure.messageNumber);
        conn.connected = false;
        conn.handshakeDone = false;
        conn.optionsApplied = false;
        return SQL_ERROR;
    }
    conn.connected = true;
    conn.handshakeDone = true;
    if (!hadHandshake) {
        conn.grantedOptions = state.result.grantedOptions;
        conn.maxStatements = state.result.maxStatements;
    }
    conn.link->setLastReplyCode(0);
    if (!conn.optionsApplied) {
        applyPendingOptions(conn);
        conn.optionsApplied = true;
    }
    return SQL_SUCCESS;
}

void closeServerSession(Connection &conn) {
    if (conn.link)
        conn.link->detach();
}

} // namespace qn::odbc
