// One request and its reply on a connection, with each failed step recorded
// under the native code of that step.
#pragma once

#include "Errors.h"

namespace qn::odbc {

class Request {
public:
    // `argumentsOnWire08S01`: option-like calls report argument failures as "08S01".
    Request(Connection &conn, ErrorRecord &rec, bool argumentsOnWire08S01 = false)
        : conn_(conn), rec_(rec), args08_(argumentsOnWire08S01) {}

    bool begin(int api);
    Request &handle(ItemTag tag, std::uint32_t value);
    Request &i16(std::int16_t v);
    Request &i32(std::int32_t v);
    Request &text(const char *s, long length);
    Request &scrambled(const char *s, long length);
    Request &output(ItemTag tag, std::uint32_t capacity, const void *area);
    Request &outputToken(ItemTag tag, std::uint32_t capacity, std::uint32_t presence);
    // Bound data: failures count as native 20004.
    bool binary(std::uint32_t index, const void *data, std::uint32_t length);

    // Sends, receives and returns the reply code; SQL_ERROR after any failed step.
    SQLRETURN run();

    bool ok() const { return ok_; }
    // Reply reading; a failure records native 20013 (or 20014 for bound data).
    bool get16(std::int16_t &v);
    bool get32(std::int32_t &v);
    bool getHandle(ItemTag tag, std::uint32_t &v);
    bool getString(char *dest, std::uint32_t capacity, std::uint32_t &length, bool scrambled = false);
    bool getBound(std::uint32_t index, void *dest, std::uint32_t capacity, std::uint32_t &length);
    bool getBlock(void *dest, std::uint32_t capacity, std::uint32_t &length);
    std::uint32_t peekIndex() { return conn_.link->peekIndex(); }

    void fail(SQLINTEGER native, const char *state);

private:
    Connection &conn_;
    ErrorRecord &rec_;
    bool args08_;
    bool ok_ = true;
    bool first_ = true;
};

// Presence value for an output area: any non-zero 32-bit value.
std::uint32_t presenceOf(const void *p);

} // namespace qn::odbc
