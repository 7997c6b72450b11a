#include "TallyKeys.h"

#include <gtest/gtest.h>

using namespace tally;

namespace {

TEST(Keys, KeyboardMap)
{
    const auto none = Qt::NoModifier;
    const auto shift = Qt::ShiftModifier;
    const auto pad = Qt::KeypadModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int expected;
    } cases[] = {
        {Qt::Key_Backspace, none, 1},
        {Qt::Key_Return, none, 24},
        {Qt::Key_Enter, pad, 24},
        {Qt::Key_Equal, none, 24},
        {Qt::Key_C, none, 0},
        {Qt::Key_0, none, 20},
        {Qt::Key_1, none, 15},
        {Qt::Key_5, pad, 11},
        {Qt::Key_7, none, 5},
        {Qt::Key_9, pad, 7},
        {Qt::Key_Asterisk, pad, 13},
        {Qt::Key_Asterisk, shift, 13},  // Shift+8
        {Qt::Key_Plus, pad, 23},
        {Qt::Key_Plus, shift, 23},  // Shift+"="
        {Qt::Key_Minus, none, 18},
        {Qt::Key_Minus, pad, 18},
        {Qt::Key_Period, none, 22},
        {Qt::Key_Period, pad, 22},
        {Qt::Key_Comma, pad, 22},
        {Qt::Key_Slash, none, 8},
        {Qt::Key_Slash, pad, 8},
        // shifted keys other than * and + do nothing
        {Qt::Key_C, shift, kNoKey},
        {Qt::Key_Backspace, shift, kNoKey},
        {Qt::Key_Return, shift, kNoKey},
        {Qt::Key_5, shift, kNoKey},
        {Qt::Key_Minus, shift, kNoKey},
        // no keyboard equivalent
        {Qt::Key_Percent, shift, kNoKey},
        {Qt::Key_Comma, none, kNoKey},
        {Qt::Key_A, none, kNoKey},
        {Qt::Key_F1, none, kNoKey},
        {Qt::Key_Escape, none, kNoKey},
        {Qt::Key_Delete, none, kNoKey},
    };
    for (const Case &c : cases)
        EXPECT_EQ(keyForKeyboard(c.key, c.mods), c.expected) << std::hex << c.key << " mods " << c.mods;
}

TEST(Keys, TableCaptionsAndGroups)
{
    const char *captions[kKeyCount] = {"C", "Back", "", "F1", "F2", "7", "8", "9", "/", "sqrt", "4", "5", "6",
                                       "*", "%", "1", "2", "3", "-", "1/x", "0", "+/-", ".", "+", "="};
    for (int k = 0; k < kKeyCount; ++k)
        EXPECT_STREQ(keyInfo(k).caption, captions[k]) << k;
    struct Case {
        int key;
        CaptionGroup group;
    } groups[] = {{0, CaptionGroup::Clear},   {1, CaptionGroup::Clear},     {3, CaptionGroup::Clear},
                  {4, CaptionGroup::Clear},   {5, CaptionGroup::Number},    {21, CaptionGroup::Number},
                  {22, CaptionGroup::Number}, {9, CaptionGroup::Function},  {14, CaptionGroup::Function},
                  {19, CaptionGroup::Function}, {8, CaptionGroup::Operand}, {13, CaptionGroup::Operand},
                  {18, CaptionGroup::Operand}, {23, CaptionGroup::Operand}, {24, CaptionGroup::Operand},
                  {2, CaptionGroup::None}};
    for (const auto &g : groups)
        EXPECT_EQ(keyInfo(g.key).group, g.group) << g.key;
    EXPECT_EQ(keyInfo(-1).kind, KeyKind::None);
    EXPECT_EQ(keyInfo(kKeyCount).kind, KeyKind::None);
}

struct LayoutCase {
    QRect client;
    int xs, ys, fk;
    QRect display;
    // key index -> expected rectangle (null: no key)
    std::vector<std::pair<int, QRect>> keys;
};

TEST(Keys, LayoutArithmetic)
{
    const LayoutCase cases[] = {
        // 200 x 180 at the origin: u 20, v 10, f 36, g 28, key height 21, h 33, x0 18, m 3
        {QRect(0, 0, 200, 180), 0, 0, 2, QRect(20, 10, 160, 20),
         {{0, QRect(21, 36, 43, 21)},
          {1, QRect(70, 36, 43, 21)},
          {2, QRect()},
          {3, QRect(120, 36, 27, 21)},
          {4, QRect(153, 36, 27, 21)},
          {5, QRect(21, 64, 27, 21)},
          {13, QRect(120, 92, 27, 21)},
          {24, QRect(153, 148, 27, 21)}}},
        // framed client at (1, 1), 200 x 150, adjustments 5 and -3, one function key
        {QRect(1, 1, 200, 150), 5, -3, 1, QRect(16, 12, 170, 16),
         {{0, QRect(17, 34, 46, 15)},
          {1, QRect(69, 34, 46, 15)},
          {3, QRect(122, 34, 46, 15)},
          {4, QRect()},
          {9, QRect(157, 57, 29, 15)},
          {20, QRect(17, 126, 29, 15)}}},
        // no function keys; tiny control keeps a margin of 1
        {QRect(0, 0, 30, 40), 0, 0, 0, QRect(3, 2, 24, 4),
         {{3, QRect()}, {4, QRect()}, {0, QRect(4, 8, 5, 3)}, {24, QRect(24, 32, 3, 3)}}},
    };
    for (const LayoutCase &c : cases) {
        const TallyLayout l = computeLayout(c.client, c.xs, c.ys, c.fk);
        EXPECT_EQ(l.display, c.display) << "client " << c.client.width() << "x" << c.client.height();
        for (const auto &[k, r] : c.keys)
            EXPECT_EQ(l.keys[static_cast<std::size_t>(k)], r)
                << "key " << k << " client " << c.client.width() << "x" << c.client.height();
    }
}

TEST(Keys, KeyAtFindsKeysAndGaps)
{
    const TallyLayout l = computeLayout(QRect(0, 0, 200, 180), 0, 0, 2);
    struct Case {
        QPoint p;
        int key;
    } cases[] = {
        {{21, 36}, 0},   {{63, 56}, 0},    {{64, 40}, kNoKey}, {{70, 40}, 1},    {{120, 40}, 3},
        {{160, 40}, 4},  {{30, 70}, 5},    {{30, 60}, kNoKey}, {{170, 160}, 24}, {{100, 20}, kNoKey},
        {{179, 168}, 24}, {{180, 168}, kNoKey},
    };
    for (const Case &c : cases)
        EXPECT_EQ(keyAt(l, c.p), c.key) << c.p.x() << "," << c.p.y();
    const TallyLayout one = computeLayout(QRect(0, 0, 200, 180), 0, 0, 0);
    EXPECT_EQ(keyAt(one, QPoint(125, 40)), kNoKey);
}

} // namespace
