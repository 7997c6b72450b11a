// Filling a handle's error record, and the SQLError answer.
#pragma once

#include "Records.h"

namespace qn::odbc {

// Keeps the first error of a call: does nothing when the record is already set.
void recordError(ErrorRecord &rec, const char *state, int messageId, SQLINTEGER native = 0);

// A failed step on the channel: the message names the channel's code. Loss codes
// drop the session so the next connect starts afresh.
void recordCommError(Connection &conn, ErrorRecord &rec, SQLINTEGER native, const char *state);
void recordCommErrorCode(Connection &conn, ErrorRecord &rec, SQLINTEGER native, const char *state, unsigned code);

// "08S01" with message 30 unless the connection has a session; true when connected.
bool requireConnected(Connection &conn, ErrorRecord &rec);

// Copies a set record to the caller and clears it.
SQLRETURN returnRecord(ErrorRecord &rec, SQLCHAR *state, SQLINTEGER *native, SQLCHAR *message,
                       SQLSMALLINT capacity, SQLSMALLINT *length);

// Copies `text` cut to `capacity` (terminated), returns true when it fit whole.
bool copyOut(const std::string &text, SQLCHAR *dest, long capacity);

} // namespace qn::odbc
