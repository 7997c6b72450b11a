#include <gtest/gtest.h>

#include "protocol/BoundData.h"
#include "protocol/Items.h"

namespace qn::exec {
namespace {

TEST(Items, ScrambleReversesAndFlipsBitThree) {
  EXPECT_EQ(scramble("abc"), "\x6B\x6A\x69");
  EXPECT_EQ(scramble(scramble("user name")), "user name");
  EXPECT_EQ(scramble(""), "");
}

std::vector<uint8_t> raw(std::initializer_list<uint32_t> words, std::vector<uint8_t> tail = {}) {
  std::vector<uint8_t> out;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(w >> (8 * i)));
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

TEST(Items, OutputAreasCarryFourBytesWhateverTheirCapacity) {
  auto bytes = raw({1, tag::OutString, 5000, 0x12345678, 1, tag::Short, 2}, {7, 0});
  ItemReader r(bytes.data(), bytes.size());
  OutArea area = r.getOut(tag::OutString);
  EXPECT_TRUE(area.present);
  EXPECT_EQ(area.capacity, 5000u);
  EXPECT_EQ(r.getShort(), 7);
  EXPECT_TRUE(r.atEnd());
}

TEST(Items, MalformedItemsAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    void (*read)(ItemReader&);
  } cases[] = {
      {"header cut short", raw({1, tag::Short}, {2, 0, 0}), [](ItemReader& r) { r.getShort(); }},
      {"short of four bytes", raw({1, tag::Short, 4, 7}), [](ItemReader& r) { r.getShort(); }},
      {"payload past the end", raw({1, tag::String, 10}, {'a', 'b'}), [](ItemReader& r) { r.getString(); }},
      {"null with a payload", raw({1, tag::Null, 1}, {0}), [](ItemReader& r) { r.getString(); }},
      {"null where a number belongs", raw({1, tag::Null, 0}), [](ItemReader& r) { r.getLong(); }},
      {"output area without presence", raw({1, tag::OutString, 8, 0}),
       [](ItemReader& r) { r.getOut(tag::OutString); }},
      {"output area cut short", raw({1, tag::OutString, 8}, {1, 2}),
       [](ItemReader& r) { r.getOut(tag::OutString); }},
      {"bound data for another binding", raw({3, tag::Binary, 1}, {9}),
       [](ItemReader& r) { r.getBoundData(2, 10); }},
      {"bound data larger than the buffer", raw({2, tag::Binary, 5}, {1, 2, 3, 4, 5}),
       [](ItemReader& r) { r.getBoundData(2, 4); }},
  };
  for (const auto& c : cases) {
    ItemReader r(c.bytes.data(), c.bytes.size());
    EXPECT_THROW(c.read(r), MalformedRequest) << c.what;
  }
}

TEST(BoundItems, IndicatorsDecideWhichDataItemsTravel) {
  struct Case {
    const char* what;
    size_t rows;
    std::vector<SQLLEN> indicators;
    bool usable;
    std::vector<size_t> itemSizes;  // indicator array first, then data when sent
  } cases[] = {
      {"one row: the value and its terminator", 1, {3}, true, {4, 4}},
      {"one row: cut to the buffer", 1, {20}, true, {4, 8}},
      {"one row: null sends no data", 1, {SQL_NULL_DATA}, true, {4}},
      {"all rows special", 2, {SQL_NULL_DATA, SQL_NULL_DATA}, true, {8}},
      {"some rows with values: whole array", 2, {SQL_NULL_DATA, 2}, true, {8, 16}},
      {"unusable buffer: indicators only", 1, {3}, false, {4}},
  };
  for (const auto& c : cases) {
    BindingTable table;
    Binding& b = table[2];
    b.hasData = b.hasIndicator = true;
    b.usable = c.usable;
    b.bufferLength = 8;
    b.reserveRows(c.rows);
    for (size_t i = 0; i < c.rows; ++i) b.indicators[i] = c.indicators[i];
    std::vector<uint8_t> out;
    ItemWriter w(out);
    writeBoundItems(table, c.rows, w);
    ItemReader r(out.data(), out.size());
    std::vector<size_t> sizes;
    while (!r.atEnd()) {
      Item it = r.next();
      EXPECT_EQ(it.index, 3u) << c.what;
      EXPECT_EQ(it.tag, tag::Binary) << c.what;
      sizes.push_back(it.payloadSize);
    }
    EXPECT_EQ(sizes, c.itemSizes) << c.what;
  }
}

}  // namespace
}  // namespace qn::exec
