#pragma once

#include <string>

namespace tally {

// Operators the engine can hold as pending. Enter keeps its own code so a
// host can tell it from "=", but both only finish an entry.
enum class Op : char {
    Equal = '=',
    Add = '+',
    Subtract = '-',
    Multiply = '*',
    Divide = '/',
    Percent = '%',
    Enter = '\r',
};

enum class EntryState { Shown = 0, Typing = 1, Error = 2 };

// The pocket-calculator state machine. It knows nothing about keys on screen,
// painting or events, so it can be driven directly.
class TallyEngine {
public:
    static constexpr std::size_t kMaxTyped = 15;       // digits and point the user may type
    static constexpr std::size_t kMaxShown = 16;       // characters a result may fill
    static constexpr std::size_t kMaxResultText = 27;  // formatted results this long are Error
    static constexpr std::size_t kMaxText = 23;        // bound for text set from outside

    TallyEngine();

    void digit(int d);
    void point();
    void back();
    void op(Op o);
    void squareRoot();
    void reciprocal();
    void toggleSign();
    void clear();

    // Shows x by the display rule; the entry state changes only on Error.
    void show(double x);
    // Replaces the display text, cut to kMaxText characters.
    void setText(const std::string &text);

    double displayValue() const;
    const std::string &text() const { return text_; }
    bool negative() const { return negative_; }
    EntryState state() const { return state_; }
    Op pending() const { return pending_; }
    double accumulator() const { return accumulator_; }
    bool isError() const { return state_ == EntryState::Error; }

    // Display text with its sign, as drawn.
    std::string shownText() const;

    // The display text read as a number: the longest leading part that reads
    // as one, 0 when none does.
    static double readNumber(const std::string &text);

private:
    void startEntry();
    void setError();

    std::string text_ = "0";
    bool negative_ = false;
    EntryState state_ = EntryState::Shown;
    Op pending_ = Op::Equal;
    double accumulator_ = 0.0;
};

} // namespace tally
