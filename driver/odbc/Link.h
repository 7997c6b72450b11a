// The request/reply vocabulary the ODBC layer speaks on a connection's channel.
// Every step reports success; on failure `error()` names the channel or socket code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "driver/wire/Channel.h"

namespace qn::odbc {

using qn::ItemTag;
using qn::ITEM_NULL;
using qn::ITEM_SHORT;
using qn::ITEM_LONG;
using qn::ITEM_HDBC;
using qn::ITEM_HSTMT;
using qn::ITEM_HENV;
using qn::ITEM_BINARY;
using qn::ITEM_STRING;
using qn::ITEM_SCRAMBLED;
using qn::ITEM_OUT_BINARY;
using qn::ITEM_OUT_STRING;
using qn::ITEM_OUT_SHORT;
using qn::ITEM_OUT_LONG;
using qn::ITEM_OUT_HSTMT;

class Link {
public:
    virtual ~Link() = default;

    virtual bool isOpen() const = 0;
    virtual unsigned error() const = 0;
    virtual std::uint32_t maximumSize() const = 0;
    virtual std::int16_t lastReplyCode() const = 0;
    virtual void setLastReplyCode(std::int16_t code) = 0;

    // Building a request.
    virtual bool begin(std::int32_t type) = 0;
    virtual bool putShort(std::int16_t value) = 0;
    virtual bool putLong(std::int32_t value) = 0;
    virtual bool putHandle(ItemTag tag, std::uint32_t value) = 0;
    // A null `text` becomes ITEM_NULL; a negative length is measured.
    virtual bool putString(const char *text, long length) = 0;
    virtual bool putScrambled(const char *text, long length) = 0;
    virtual bool putBinary(std::uint32_t index, const void *data, std::uint32_t length) = 0;
    // An output area: its presence value, or ITEM_NULL when `present` is false.
    virtual bool putOutput(ItemTag tag, std::uint32_t capacity, bool present, std::uint32_t presence = 1) = 0;

    virtual bool send() = 0;
    virtual bool receive() = 0;
    // Reply code of the last reply (also kept as the last reply code).
    virtual std::int16_t replyCode() = 0;

    // Reading a reply, item by item.
    virtual bool getShort(std::int16_t &value) = 0;
    virtual bool getLong(std::int32_t &value) = 0;
    virtual bool getHandle(ItemTag tag, std::uint32_t &value) = 0;
    // Copies up to `capacity` bytes; `length` gets the payload length. A shorter
    // payload is zero-terminated. `absent` tells an ITEM_NULL answer.
    virtual bool getString(char *dest, std::uint32_t capacity, std::uint32_t &length, bool scrambled) = 0;
    virtual bool getBinary(std::uint32_t index, void *dest, std::uint32_t capacity, std::uint32_t &length) = 0;
    virtual std::uint32_t peekIndex() = 0;

    // Session handling.
    virtual void detach() = 0;
    virtual qn::Channel &channel() = 0;
};

// The link over a real channel.
std::unique_ptr<Link> makeChannelLink();

} // namespace qn::odbc
