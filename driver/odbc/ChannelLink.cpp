#include "Link.h"

namespace qn::odbc {

namespace {

class ChannelLink final : public Link {
public:
    bool isOpen() const override { return ch_.isOpen(); }
    unsigned error() const override { return ch_.errorCode(); }
    std::uint32_t maximumSize() const override { return ch_.maxSize(); }
    std::int16_t lastReplyCode() const override { return ch_.lastReplyCode(); }
    void setLastReplyCode(std::int16_t code) override { ch_.setLastReplyCode(code); }

    bool begin(std::int32_t type) override { return ch_.beginRequest(type); }
    bool putShort(std::int16_t value) override { return ch_.putShort(value); }
    bool putLong(std::int32_t value) override { return ch_.putLong(value); }
    bool putHandle(ItemTag tag, std::uint32_t value) override { return ch_.putHandle(tag, value); }
    bool putString(const char *text, long length) override {
        return ch_.putString(text, static_cast<std::int32_t>(length));
    }
    bool putScrambled(const char *text, long length) override {
        return ch_.putScrambled(text, static_cast<std::int32_t>(length));
    }
    bool putBinary(std::uint32_t index, const void *data, std::uint32_t length) override {
        return ch_.putBinary(data, length, index);
    }
    bool putOutput(ItemTag tag, std::uint32_t capacity, bool present, std::uint32_t presence) override {
        return present ? ch_.putOutputToken(tag, presence, capacity) : ch_.putNull();
    }
    bool send() override { return ch_.send(); }
    bool receive() override { return ch_.receive(); }
    std::int16_t replyCode() override { return ch_.replyCode(); }

    bool getShort(std::int16_t &value) override { return ch_.getShort(&value); }
    bool getLong(std::int32_t &value) override { return ch_.getLong(&value); }
    bool getHandle(ItemTag tag, std::uint32_t &value) override { return ch_.getHandle(tag, &value); }
    bool getString(char *dest, std::uint32_t capacity, std::uint32_t &length, bool scrambled) override {
        return ch_.getString(scrambled ? ITEM_SCRAMBLED : ITEM_STRING, dest, capacity, &length);
    }
    bool getBinary(std::uint32_t index, void *dest, std::uint32_t capacity, std::uint32_t &length) override {
        return ch_.getBinary(dest, capacity, &length, nullptr, index);
    }
    std::uint32_t peekIndex() override { return ch_.peekIndex(); }
    void detach() override {
        if (ch_.isOpen())
            ch_.detach();
    }
    qn::Channel &channel() override { return ch_; }

private:
    qn::Channel ch_;
};

} // namespace

std::unique_ptr<Link> makeChannelLink() { return std::make_unique<ChannelLink>(); }

} // namespace qn::odbc
