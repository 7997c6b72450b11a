#include "protocol/Items.h"

#include <algorithm>
#include <cstring>

namespace qn::exec {

uint32_t readU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void writeU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

std::string scramble(std::string_view text) {
  std::string out(text.rbegin(), text.rend());
  for (char& c : out) c = char(uint8_t(c) ^ 0x08);
  return out;
}

uint32_t ItemReader::peekIndex() const {
  if (pos_ > size_ || size_ - pos_ < kItemHeaderSize) return 0;
  return readU32(data_ + pos_);
}

uint32_t ItemReader::peekTag() const {
  if (pos_ > size_ || size_ - pos_ < kItemHeaderSize) return 0;
  return readU32(data_ + pos_ + 4);
}

Item ItemReader::next() {
  if (pos_ > size_ || size_ - pos_ < kItemHeaderSize) throw MalformedRequest("missing item");
  Item it;
  it.index = readU32(data_ + pos_);
  it.tag = readU32(data_ + pos_ + 4);
  it.length = readU32(data_ + pos_ + 8);
  it.payloadSize = (it.tag & tag::OutputFlag) ? 4 : it.length;
  size_t start = pos_ + kItemHeaderSize;
  if (it.payloadSize > size_ - start) throw MalformedRequest("item runs past the message");
  it.payload = data_ + start;
  pos_ = start + it.payloadSize;
  return it;
}

Item ItemReader::expect(uint32_t expectedTag, bool nullAllowed) {
  Item it = next();
  if (it.tag == tag::Null && nullAllowed) {
    if (it.length != 0) throw MalformedRequest("null item with a payload");
    return it;
  }
  if (it.tag != expectedTag) throw MalformedRequest("unexpected item tag");
  return it;
}

int16_t ItemReader::getShort() {
  Item it = expect(tag::Short, false);
  if (it.length != 2) throw MalformedRequest("short item of wrong length");
  return int16_t(uint16_t(it.payload[0] | it.payload[1] << 8));
}

int32_t ItemReader::getLong() {
  Item it = expect(tag::Long, false);
  if (it.length != 4) throw MalformedRequest("long item of wrong length");
  return int32_t(readU32(it.payload));
}

uint32_t ItemReader::getHandle(uint32_t expectedTag) {
  Item it = expect(expectedTag, true);
  if (it.tag == tag::Null) return 0;
  if (it.length != 4) throw MalformedRequest("handle item of wrong length");
  return readU32(it.payload);
}

std::optional<std::string> ItemReader::getString() {
  Item it = expect(tag::String, true);
  if (it.tag == tag::Null) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(it.payload), it.payloadSize);
}

std::optional<std::string> ItemReader::getScrambled() {
  Item it = expect(tag::Scrambled, true);
  if (it.tag == tag::Null) return std::nullopt;
  return scramble(std::string_view(reinterpret_cast<const char*>(it.payload), it.payloadSize));
}

std::optional<std::vector<uint8_t>> ItemReader::getBinary() {
  Item it = expect(tag::Binary, true);
  if (it.tag == tag::Null) return std::nullopt;
  return std::vector<uint8_t>(it.payload, it.payload + it.payloadSize);
}

OutArea ItemReader::getOut(uint32_t expectedTag) {
  Item it = expect(expectedTag, true);
  if (it.tag == tag::Null) return {};
  if (readU32(it.payload) == 0) throw MalformedRequest("output area without presence value");
  return {true, it.length};
}

ItemReader::OptionValue ItemReader::getOptionValue() {
  OptionValue v;
  if (peekTag() == tag::String || peekTag() == tag::Null) {
    v.isString = true;
    v.text = getString().value_or(std::string());
  } else {
    v.number = getLong();
  }
  return v;
}

Item ItemReader::getBoundData(uint32_t index, size_t maxSize) {
  Item it = expect(tag::Binary, false);
  if (it.index != index) throw MalformedRequest("bound data for another binding");
  if (it.payloadSize > maxSize) throw MalformedRequest("bound data larger than its buffer");
  return it;
}

void ItemWriter::header(uint32_t index, uint32_t tagValue, uint32_t length) {
  size_t at = out_.size();
  out_.resize(at + kItemHeaderSize);
  writeU32(&out_[at], index);
  writeU32(&out_[at + 4], tagValue);
  writeU32(&out_[at + 8], length);
}

void ItemWriter::putShort(int16_t v) {
  header(1, tag::Short, 2);
  out_.push_back(uint8_t(uint16_t(v)));
  out_.push_back(uint8_t(uint16_t(v) >> 8));
}

void ItemWriter::putLong(int32_t v) {
  header(1, tag::Long, 4);
  size_t at = out_.size();
  out_.resize(at + 4);
  writeU32(&out_[at], uint32_t(v));
}

void ItemWriter::putHandle(uint32_t tagValue, uint32_t handle) {
  header(1, tagValue, 4);
  size_t at = out_.size();
  out_.resize(at + 4);
  writeU32(&out_[at], handle);
}

void ItemWriter::putString(std::string_view text) {
  header(1, tag::String, uint32_t(text.size()));
  out_.insert(out_.end(), text.begin(), text.end());
}

void ItemWriter::putStringFitting(std::string_view text, int64_t capacity) {
  size_t room = capacity > 0 ? size_t(capacity - 1) : 0;
  putString(text.substr(0, std::min(room, text.size())));
}

void ItemWriter::putScrambled(std::string_view text) {
  std::string s = scramble(text);
  header(1, tag::Scrambled, uint32_t(s.size()));
  out_.insert(out_.end(), s.begin(), s.end());
}

void ItemWriter::putBinary(const void* bytes, size_t n, uint32_t index) {
  header(index, tag::Binary, uint32_t(n));
  const auto* p = static_cast<const uint8_t*>(bytes);
  if (n) out_.insert(out_.end(), p, p + n);
}

void ItemWriter::putNull() { header(1, tag::Null, 0); }

}  // namespace qn::exec
