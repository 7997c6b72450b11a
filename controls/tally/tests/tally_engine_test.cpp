#include "TallyEngine.h"
#include "TallyKeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

using tally::EntryState;
using tally::KeyOutcome;
using tally::Op;
using tally::TallyEngine;

namespace {

// Presses keys given by caption ("7", "+", "sqrt", "Back", ...) or "Enter".
KeyOutcome press(TallyEngine &e, const std::string &keys)
{
    std::istringstream in(keys);
    std::string token;
    KeyOutcome last = KeyOutcome::None;
    while (in >> token) {
        if (token == "Enter") {
            e.op(Op::Enter);
            continue;
        }
        int index = tally::kNoKey;
        for (int k = 0; k < tally::kKeyCount; ++k)
            if (token == tally::keyInfo(k).caption)
                index = k;
        if (index == tally::kNoKey)
            ADD_FAILURE() << "no key captioned " << token;
        last = tally::pressKey(e, index);
    }
    return last;
}

struct SequenceCase {
    const char *keys;
    const char *shown;  // display with its sign
    EntryState state;
};

class Sequences : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(Sequences, ShowExpectedDisplay)
{
    const SequenceCase &c = GetParam();
    TallyEngine e;
    press(e, c.keys);
    EXPECT_EQ(e.shownText(), c.shown) << "keys: " << c.keys;
    EXPECT_EQ(e.state(), c.state) << "keys: " << c.keys;
}

constexpr auto Shown = EntryState::Shown;
constexpr auto Typing = EntryState::Typing;
constexpr auto Err = EntryState::Error;

INSTANTIATE_TEST_SUITE_P(
    Engine, Sequences,
    ::testing::Values(
        // basic arithmetic and the no-repeat rule
        SequenceCase{"1 2 + 3 =", "15", Shown},
        SequenceCase{"1 2 + 3 = 2 =", "2", Shown},
        SequenceCase{"2 * 3 = =", "6", Shown},
        SequenceCase{"1 2 + 3 Enter", "15", Shown},
        SequenceCase{"1 / 3 =", "0.3333333", Shown},
        SequenceCase{"0 . 1 + 0 . 2 =", "0.3", Shown},
        SequenceCase{"1 / 3 = * 3 =", "0.9999999", Shown},
        SequenceCase{"9 - 4 . 5 =", "4.5", Shown},
        // chains are evaluated left to right, the last operator wins
        SequenceCase{"2 + 3 * 4 =", "20", Shown},
        SequenceCase{"2 + 3 *", "5", Shown},
        SequenceCase{"5 + - * 2 =", "10", Shown},
        SequenceCase{"1 0 - 4 - 3 =", "3", Shown},
        SequenceCase{"3 - 6 =", "-3", Shown},
        // percent
        SequenceCase{"1 0 0 + 5 %", "105", Shown},
        SequenceCase{"1 0 0 * 5 %", "5", Shown},
        SequenceCase{"2 0 0 - 1 0 %", "180", Shown},
        SequenceCase{"2 0 0 / 5 0 %", "400", Shown},
        SequenceCase{"5 %", "5", Shown},
        SequenceCase{"1 0 0 + 5 % =", "105", Shown},
        // square root, reciprocal, sign
        SequenceCase{"9 sqrt", "3", Typing},
        SequenceCase{"2 sqrt", "1.4142136", Typing},
        SequenceCase{"2 +/- sqrt", "Error", Err},
        SequenceCase{"4 1/x", "0.25", Typing},
        SequenceCase{"8 +/- 1/x", "-0.125", Typing},
        SequenceCase{"0 1/x", "Error", Err},
        SequenceCase{"5 +/-", "-5", Typing},
        SequenceCase{"5 +/- +/-", "5", Typing},
        SequenceCase{"+/-", "-0", Shown},
        SequenceCase{"5 +/- 3", "-53", Typing},
        SequenceCase{"5 +/- + 3 =", "-2", Shown},
        SequenceCase{"2 + 3 = +/- 7", "7", Typing},
        SequenceCase{"2 +/- * 3 +/- =", "6", Shown},
        // errors and leaving them
        SequenceCase{"1 / 0 =", "Error", Err},
        SequenceCase{"1 / 0 +", "Error", Err},
        SequenceCase{"2 +/- sqrt 5", "Error", Err},
        SequenceCase{"1 / 0 = 5 . Back +/- sqrt 1/x + =", "Error", Err},
        SequenceCase{"2 +/- sqrt 5 C", "0", Shown},
        SequenceCase{"1 / 0 = C 4 + 4 =", "8", Shown},
        SequenceCase{"9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 * 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 =", "Error", Err},
        SequenceCase{"9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 + 1 =", "Error", Err},
        SequenceCase{"9 9 9 9 9 9 9 9 9 9 9 9 9 9 + 1 =", "100000000000000", Shown},
        // typing: leading zeros, the point, the length limit
        SequenceCase{"0 0 0", "0", Typing},
        SequenceCase{"0 0 5", "5", Typing},
        SequenceCase{". 5", "0.5", Typing},
        SequenceCase{". . 5", "0.5", Typing},
        SequenceCase{"1 . 2 . 3", "1.23", Typing},
        SequenceCase{"1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6", "123456789012345", Typing},
        SequenceCase{"1 2 3 4 5 6 7 8 9 0 1 2 3 4 .", "12345678901234.", Typing},
        SequenceCase{"1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 .", "123456789012345", Typing},
        SequenceCase{"1 2 3 4 5 6 7 8 9 0 1 2 3 4 . 5 6", "12345678901234.", Typing},
        SequenceCase{"1 + 2 = 3", "3", Typing},
        SequenceCase{"1 + 2 = .", "0.", Typing},
        // Back
        SequenceCase{"1 2 3 Back", "12", Typing},
        SequenceCase{"5 Back", "0", Typing},
        SequenceCase{"Back", "0", Typing},
        SequenceCase{"1 . Back", "1", Typing},
        SequenceCase{"1 + 2 = Back", "0", Typing},
        SequenceCase{"1 2 Back Back Back 7", "7", Typing},
        SequenceCase{"5 +/- Back", "-0", Typing},
        // clear
        SequenceCase{"1 2 + 3 C", "0", Shown},
        SequenceCase{"5 + C 3 =", "3", Shown}));

TEST(Engine, NegativeResultKeepsSignApart)
{
    TallyEngine e;
    press(e, "3 - 6 =");
    EXPECT_EQ(e.text(), "3");
    EXPECT_TRUE(e.negative());
    EXPECT_DOUBLE_EQ(e.displayValue(), -3.0);
}

TEST(Engine, ClearResetsPendingButKeepsAccumulator)
{
    TallyEngine e;
    press(e, "5 +");
    EXPECT_EQ(e.pending(), Op::Add);
    press(e, "7 C");
    EXPECT_EQ(e.pending(), Op::Equal);
    EXPECT_DOUBLE_EQ(e.accumulator(), 5.0);
    EXPECT_FALSE(e.negative());
}

TEST(Engine, OperatorsTakeDisplayIntoAccumulator)
{
    TallyEngine e;
    press(e, "4 + 6 *");
    EXPECT_EQ(e.pending(), Op::Multiply);
    EXPECT_DOUBLE_EQ(e.accumulator(), 10.0);
    press(e, "-");
    EXPECT_EQ(e.pending(), Op::Subtract);
    EXPECT_DOUBLE_EQ(e.accumulator(), 10.0);
}

TEST(Engine, ErrorKeepsPendingAndAccumulator)
{
    TallyEngine e;
    press(e, "8 / 0 +");
    EXPECT_TRUE(e.isError());
    EXPECT_EQ(e.pending(), Op::Divide);
    EXPECT_DOUBLE_EQ(e.accumulator(), 8.0);
}

TEST(Engine, FunctionKeysRaiseOutcomeWithoutChangingState)
{
    struct Case {
        int key;
        int functionKeys;
        KeyOutcome expected;
    } cases[] = {
        {3, 2, KeyOutcome::Function1}, {4, 2, KeyOutcome::Function2},
        {3, 1, KeyOutcome::Function1}, {4, 1, KeyOutcome::None},
        {3, 0, KeyOutcome::None},      {2, 2, KeyOutcome::None},
    };
    for (const Case &c : cases) {
        TallyEngine e;
        press(e, "1 2 +");
        EXPECT_EQ(tally::pressKey(e, c.key, c.functionKeys), c.expected) << "key " << c.key;
        EXPECT_EQ(e.shownText(), "12");
        EXPECT_EQ(e.pending(), Op::Add);
        EXPECT_EQ(e.state(), EntryState::Shown);
    }
}

struct ShowCase {
    double x;
    const char *text;
    bool negative;
    bool error;
};

class DisplayRule : public ::testing::TestWithParam<ShowCase> {};

TEST_P(DisplayRule, RoundsTrimsAndCuts)
{
    const ShowCase &c = GetParam();
    TallyEngine e;
    press(e, "7");  // typing state, which a good result must keep
    e.show(c.x);
    EXPECT_EQ(e.text(), c.text) << c.x;
    EXPECT_EQ(e.negative(), c.negative) << c.x;
    EXPECT_EQ(e.isError(), c.error) << c.x;
    if (!c.error) {
        EXPECT_EQ(e.state(), EntryState::Typing);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Engine, DisplayRule,
    ::testing::Values(ShowCase{0.30000000000000004, "0.3", false, false},
                      ShowCase{-3.0, "3", true, false},
                      ShowCase{100.0, "100", false, false},
                      ShowCase{2.5, "2.5", false, false},
                      ShowCase{0.00000005, "0.0000001", false, false},
                      ShowCase{0.00000004, "0", false, false},
                      ShowCase{-0.00000001, "0", false, false},
                      ShowCase{-0.3, "0.3", true, false},
                      ShowCase{123456789.123456789, "123456789.123456", false, false},
                      ShowCase{100000000000000.0, "100000000000000", false, false},
                      ShowCase{1e15, "Error", false, true},
                      ShowCase{-1e15, "Error", false, true},
                      ShowCase{1e300, "Error", false, true},
                      ShowCase{INFINITY, "Error", false, true},
                      ShowCase{-INFINITY, "Error", false, true},
                      ShowCase{NAN, "Error", false, true}));

TEST(Engine, ReadNumberTakesLongestLeadingNumber)
{
    struct Case {
        const char *text;
        double value;
    } cases[] = {
        {"Error", 0.0}, {"", 0.0},      {".", 0.0},        {"1.", 1.0},    {".5", 0.5},
        {"12.5abc", 12.5}, {"abc", 0.0}, {"007", 7.0},     {"1.2.3", 1.2}, {"-4", -4.0},
        {"2e3", 2000.0},  {"2e", 2.0},  {"1e999", 0.0},    {"123456789012345", 123456789012345.0},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(TallyEngine::readNumber(c.text), c.value) << c.text;
}

TEST(Engine, SetTextIsBoundedAndKeepsState)
{
    TallyEngine e;
    press(e, "5 +/-");
    const std::string longText(100, '9');
    e.setText(longText);
    EXPECT_EQ(e.text(), std::string(TallyEngine::kMaxText, '9'));
    EXPECT_TRUE(e.negative());
    EXPECT_EQ(e.state(), EntryState::Typing);
    e.setText("42");
    EXPECT_EQ(e.text(), "42");
    EXPECT_DOUBLE_EQ(e.displayValue(), -42.0);
}

TEST(Engine, TypingAfterLongSetTextStopsAtLimit)
{
    TallyEngine e;
    press(e, "1");
    e.setText(std::string(20, '1'));
    press(e, "2 .");
    EXPECT_EQ(e.text(), std::string(20, '1'));
    press(e, "Back");
    EXPECT_EQ(e.text(), std::string(19, '1'));
}

} // namespace
