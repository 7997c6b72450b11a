#pragma once
// The per-connection channel: one message buffer reused for every request and
// reply, a socket, a cursor over the data items and the last error.
#include <cstdint>
#include <string>

#include "Items.h"
#include "MessageBuffer.h"

namespace qn {

struct ItemHeader {
    uint32_t index = 0;
    uint32_t tag = 0;
    uint32_t length = 0;  // payload length, or the area's capacity for output tags
};

class Channel {
public:
    Channel() = default;
    ~Channel();  // detaches
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Takes ownership of a connected socket and initialises the buffer.
    bool attach(int socket);
    // Destroys the buffer, unloads any plug-in and closes the socket.
    bool detach();
    bool isOpen() const { return open_; }
    int socket() const { return socket_; }

    // Seconds; 0 waits without limit.
    void setReceiveTimeout(uint32_t seconds) { timeoutSeconds_ = seconds; }
    uint32_t receiveTimeout() const { return timeoutSeconds_; }

    // Loads the named encryption plug-in for this channel (connect rules:
    // silently none when it cannot be loaded). Returns true when in use.
    bool loadEncryption(const std::string& name);
    bool encryptionInUse() const { return buf_.encrypt != nullptr && buf_.decrypt != nullptr; }

    // --- building a message ---------------------------------------------
    // A negative (request) type also sets extra to the current maximum size.
    bool beginRequest(int32_t type);
    bool beginRequest(int32_t type, uint32_t extra);
    // Generic item: for output tags source points to the 4-byte presence
    // value and length is the capacity of the caller's area.
    bool putItem(uint32_t index, uint32_t tag, uint32_t length, const void* source);
    bool putNull(uint32_t index = 1);
    bool putShort(int16_t value);
    bool putLong(int32_t value);
    bool putHandle(uint32_t tag, uint32_t handle);  // ITEM_HDBC/HSTMT/HENV
    // length kNts measures the text; a null text becomes ITEM_NULL.
    bool putString(const char* text, int32_t length = kNts);
    bool putScrambled(const char* text, int32_t length = kNts);
    bool putBinary(const void* data, uint32_t length, uint32_t index = 1);
    // Output area: presence is the low 32 bits of area (1 if those are 0);
    // a null area becomes ITEM_NULL.
    bool putOutput(uint32_t tag, const void* area, uint32_t capacity);
    // Output area with an explicit non-zero presence value (a token).
    bool putOutputToken(uint32_t tag, uint32_t presence, uint32_t capacity);

    bool send();
    bool receive();

    // --- reading a message ------------------------------------------------
    int32_t type() const;
    uint32_t extra() const;
    uint32_t size() const;
    // Reply code of the last reply (low 16 bits of extra); also remembered.
    int16_t replyCode();
    int16_t lastReplyCode() const { return lastReplyCode_; }
    void setLastReplyCode(int16_t code) { lastReplyCode_ = code; }

    // The next item's header without consuming it (302 when none).
    bool peekItem(ItemHeader& header);
    // Index of the next item, 0 when none.
    uint32_t peekIndex();

    // Reads the next item: checks tag and index, copies at most capacity
    // bytes (305 when longer), zero-terminates strings and binaries shorter
    // than capacity, unscrambles scrambled strings. ITEM_NULL in place of a
    // handle, string, binary or output area sets *absent and succeeds.
    bool getItem(uint32_t index, uint32_t tag, void* destination, uint32_t capacity,
                 uint32_t* length = nullptr, bool* absent = nullptr);
    bool getShort(int16_t* value);
    bool getLong(int32_t* value);
    bool getHandle(uint32_t tag, uint32_t* handle, bool* absent = nullptr);
    // tag ITEM_STRING or ITEM_SCRAMBLED.
    bool getString(uint32_t tag, char* destination, uint32_t capacity, uint32_t* length = nullptr,
                   bool* absent = nullptr);
    // Whole string of any length (for readers that do not know it ahead).
    bool getText(uint32_t tag, std::string* text, bool* absent = nullptr);
    bool getBinary(void* destination, uint32_t capacity, uint32_t* length = nullptr,
                   bool* absent = nullptr, uint32_t index = 1);
    // Output area as the server sees it: its capacity and presence value
    // (absent when the caller passed ITEM_NULL).
    bool getOutput(uint32_t tag, uint32_t* capacity, uint32_t* presence = nullptr, bool* absent = nullptr);

    // --- errors -------------------------------------------------------------
    // The channel error if set; else the buffer status when open; else 301.
    uint32_t errorCode() const;
    // Name of errorCode() (see onFindErrorASCII).
    const char* errorText();
    uint32_t channelError() const { return error_; }
    void setChannelError(uint32_t code) { error_ = code; }
    void clearError() { error_ = 0; }

    uint32_t maxSize() const { return buf_.maxSize; }
    void setMaxSize(uint32_t maxSize) { qn::setMaxSize(buf_, maxSize); }
    uint32_t cursor() const { return cursor_; }
    MessageBuffer& buffer() { return buf_; }

private:
    bool requireOpen();
    bool fail(uint32_t code);
    bool begin(int32_t type);
    bool getFixed(uint32_t tag, unsigned char* bytes, uint32_t width, bool* absent);
    bool readPayload(uint32_t payloadLength, void* destination, uint32_t count);

    MessageBuffer buf_;
    bool open_ = false;
    uint32_t cursor_ = 0;
    int socket_ = -1;
    char errorText_[256] = {};
    uint32_t error_ = 0;
    uint32_t timeoutSeconds_ = 0;
    int16_t lastReplyCode_ = 0;
};

}  // namespace qn
