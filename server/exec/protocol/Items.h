#pragma once
// Data items of request and reply messages, read and written on the server side.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qn::exec {

namespace tag {
constexpr uint32_t Null = 0x1;
constexpr uint32_t Short = 0x5;
constexpr uint32_t Long = 0x6;
constexpr uint32_t Hdbc = 0x7;
constexpr uint32_t Hstmt = 0x8;
constexpr uint32_t Henv = 0x9;
constexpr uint32_t Binary = 0x1102;
constexpr uint32_t String = 0x1104;
constexpr uint32_t Scrambled = 0x11104;
constexpr uint32_t OutBinary = 0x1202;
constexpr uint32_t OutString = 0x1204;
constexpr uint32_t OutShort = 0x1205;
constexpr uint32_t OutLong = 0x1206;
constexpr uint32_t OutHdbc = 0x1207;
constexpr uint32_t OutHstmt = 0x1208;
constexpr uint32_t OutHenv = 0x1209;
constexpr uint32_t OutputFlag = 0x200;
}  // namespace tag

constexpr size_t kItemHeaderSize = 12;

// Thrown for any request that does not have the shape its type demands.
class MalformedRequest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reversing and flipping bit 3 is its own inverse, so one function both ways.
std::string scramble(std::string_view text);

struct Item {
  uint32_t index = 0;
  uint32_t tag = 0;
  uint32_t length = 0;  // capacity for output areas
  const uint8_t* payload = nullptr;
  size_t payloadSize = 0;
};

// An output area of the caller: only its presence and capacity travel.
struct OutArea {
  bool present = false;
  uint32_t capacity = 0;
};

class ItemReader {
 public:
  ItemReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool atEnd() const { return pos_ >= size_; }
  // Index of the next item, 0 when none is left (or it is cut short).
  uint32_t peekIndex() const;
  uint32_t peekTag() const;
  Item next();

  int16_t getShort();
  int32_t getLong();
  // Handle items; ITEM_NULL reads as handle 0.
  uint32_t getHandle(uint32_t expectedTag);
  std::optional<std::string> getString();
  std::optional<std::string> getScrambled();
  std::optional<std::vector<uint8_t>> getBinary();
  OutArea getOut(uint32_t expectedTag);
  // A 32-bit number or a string (option values travel as either).
  struct OptionValue {
    bool isString = false;
    int32_t number = 0;
    std::string text;
  };
  OptionValue getOptionValue();
  // Bound-data item with the given index; its payload must fit maxSize.
  Item getBoundData(uint32_t index, size_t maxSize);

 private:
  Item expect(uint32_t expectedTag, bool nullAllowed);
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class ItemWriter {
 public:
  explicit ItemWriter(std::vector<uint8_t>& out) : out_(out) {}
  void putShort(int16_t v);
  void putLong(int32_t v);
  void putHandle(uint32_t tagValue, uint32_t handle);
  void putString(std::string_view text);
  // A string cut so that it and a terminator fit the caller's capacity.
  void putStringFitting(std::string_view text, int64_t capacity);
  void putScrambled(std::string_view text);
  void putBinary(const void* bytes, size_t n, uint32_t index = 1);
  void putNull();
  size_t size() const { return out_.size(); }

 private:
  void header(uint32_t index, uint32_t tagValue, uint32_t length);
  std::vector<uint8_t>& out_;
};

uint32_t readU32(const uint8_t* p);
void writeU32(uint8_t* p, uint32_t v);
void writeU16(uint8_t* p, uint16_t v);

}  // namespace qn::exec
