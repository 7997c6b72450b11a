#include "Request.h"

#include <cstdint>

namespace qn::odbc {

std::uint32_t presenceOf(const void *p) {
    const auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
    return low != 0 ? low : 1u;
}

void Request::fail(SQLINTEGER native, const char *state) {
    if (ok_)
        recordCommError(conn_, rec_, native, state);
    ok_ = false;
}

bool Request::begin(int api) {
    if (!conn_.link || !conn_.link->begin(requestType(api)))
        fail(kBeginRequest, "08S01");
    return ok_;
}

Request &Request::handle(ItemTag tag, std::uint32_t value) {
    if (ok_ && !conn_.link->putHandle(tag, value))
        fail(kAddArgument, (first_ || args08_) ? "08S01" : "S1001");
    first_ = false;
    return *this;
}

Request &Request::i16(std::int16_t v) {
    if (ok_ && !conn_.link->putShort(v))
        fail(kAddArgument, (first_ || args08_) ? "08S01" : "S1001");
    first_ = false;
    return *this;
}

Request &Request::i32(std::int32_t v) {
    if (ok_ && !conn_.link->putLong(v))
        fail(kAddArgument, (first_ || args08_) ? "08S01" : "S1001");
    first_ = false;
    return *this;
}

Request &Request::text(const char *s, long length) {
    if (ok_ && !conn_.link->putString(s, length))
        fail(kAddString, args08_ ? "08S01" : "S1001");
    first_ = false;
    return *this;
}

Request &Request::scrambled(const char *s, long length) {
    if (ok_ && !conn_.link->putScrambled(s, length))
        fail(kAddString, args08_ ? "08S01" : "S1001");
    first_ = false;
    return *this;
}

Request &Request::output(ItemTag tag, std::uint32_t capacity, const void *area) {
    if (ok_ && !conn_.link->putOutput(tag, capacity, area != nullptr, presenceOf(area)))
        fail(kAddOutputArea, "S1001");
    first_ = false;
    return *this;
}

Request &Request::outputToken(ItemTag tag, std::uint32_t capacity, std::uint32_t presence) {
    if (ok_ && !conn_.link->putOutput(tag, capacity, true, presence))
        fail(kAddOutputArea, "S1001");
    first_ = false;
    return *this;
}

bool Request::binary(std::uint32_t index, const void *data, std::uint32_t length) {
    if (ok_ && !conn_.link->putBinary(index, data, length))
        fail(kAddBoundData, "08S01");
    return ok_;
}

SQLRETURN Request::run() {
    if (!ok_)
        return SQL_ERROR;
    if (!conn_.link->send()) {
        fail(kSending, "08S01");
        return SQL_ERROR;
    }
    if (!conn_.link->receive()) {
        fail(kReceiving, "08S01");
        return SQL_ERROR;
    }
    return conn_.link->replyCode();
}

bool Request::get16(std::int16_t &v) {
    if (ok_ && !conn_.link->getShort(v))
        fail(kReadReplyItem, "08S01");
    return ok_;
}

bool Request::get32(std::int32_t &v) {
    if (ok_ && !conn_.link->getLong(v))
        fail(kReadReplyItem, "08S01");
    return ok_;
}

bool Request::getHandle(ItemTag tag, std::uint32_t &v) {
    if (ok_ && !conn_.link->getHandle(tag, v))
        fail(kReadReplyItem, "08S01");
    return ok_;
}

bool Request::getString(char *dest, std::uint32_t capacity, std::uint32_t &length, bool scrambled) {
    if (ok_ && !conn_.link->getString(dest, capacity, length, scrambled))
        fail(kReadReplyItem, "08S01");
    return ok_;
}

bool Request::getBound(std::uint32_t index, void *dest, std::uint32_t capacity, std::uint32_t &length) {
    if (ok_ && !conn_.link->getBinary(index, dest, capacity, length))
        fail(kReadBoundData, "S1001");
    return ok_;
}

bool Request::getBlock(void *dest, std::uint32_t capacity, std::uint32_t &length) {
    if (ok_ && !conn_.link->getBinary(1, dest, capacity, length))
        fail(kReadReplyItem, "08S01");
    return ok_;
}

} // namespace qn::odbc
