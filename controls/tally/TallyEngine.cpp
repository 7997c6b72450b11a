#include "TallyEngine.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tally {

TallyEngine::TallyEngine() = default;

void TallyEngine::startEntry()
{
    if (state_ == EntryState::Shown) {
        text_ = "0";
        negative_ = false;
        state_ = EntryState::Typing;
    }
}

void TallyEngine::setError()
{
    negative_ = false;
    state_ = EntryState::Error;
    text_ = "Error";
}

void TallyEngine::digit(int d)
{
    if (isError() || d < 0 || d > 9)
        return;
    startEntry();
    if (text_ == "0")
        text_.clear();
    if (text_.size() < kMaxTyped)
        text_.push_back(static_cast<char>('0' + d));
}

void TallyEngine::point()
{
    if (isError())
        return;
    startEntry();
    if (text_.find('.') == std::string::npos && text_.size() < kMaxTyped)
        text_.push_back('.');
}

void TallyEngine::back()
{
    if (isError())
        return;
    startEntry();
    if (text_.size() <= 1)
        text_ = "0";
    else
        text_.pop_back();
}

void TallyEngine::op(Op o)
{
    if (isError())
        return;
    if (state_ == EntryState::Typing) {
        state_ = EntryState::Shown;
        double x = displayValue();
        if (o == Op::Percent) {
            if (pending_ == Op::Multiply || pending_ == Op::Divide)
                x *= 0.01;
            else if (pending_ == Op::Add || pending_ == Op::Subtract)
                x = accumulator_ * x * 0.01;
        }
        switch (pending_) {
        case Op::Add:
            show(accumulator_ + x);
            break;
        case Op::Subtract:
            show(accumulator_ - x);
            break;
        case Op::Multiply:
            show(accumulator_ * x);
            break;
        case Op::Divide:
            if (x == 0.0)
                setError();
            else
                show(accumulator_ / x);
            break;
        default:
            break; // the typed number stays as it is
        }
    }
    if (isError())
        return;
    pending_ = o;
    accumulator_ = displayValue();
}

void TallyEngine::squareRoot()
{
    if (isError())
        return;
    if (negative_)
        setError();
    else
        show(std::sqrt(displayValue()));
}

void TallyEngine::reciprocal()
{
    if (isError())
        return;
    const double x = displayValue();
    if (x == 0.0)
        setError();
    else
        show(1.0 / x);
}

void TallyEngine::toggleSign()
{
    if (isError())
        return;
    negative_ = !negative_;
}

void TallyEngine::clear()
{
    state_ = EntryState::Shown;
    text_ = "0";
    negative_ = false;
    pending_ = Op::Equal;
}

void TallyEngine::show(double x)
{
    // Infinity and NaN would format as words; they are as unshowable as a
    // number too long for the display.
    if (!std::isfinite(x)) {
        setError();
        return;
    }
    const double rounded = std::floor(x * 10000000.0 + 0.5) * 0.0000001;
    if (!std::isfinite(rounded)) {
        setError();
        return;
    }
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, "%.10f", rounded);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) {
        setError();
        return;
    }
    std::string s(buf, static_cast<std::size_t>(n));
    bool neg = false;
    if (!s.empty() && s.front() == '-') {
        neg = true;
        s.erase(0, 1);
    }
    if (s.size() >= kMaxResultText) {
        setError();
        return;
    }
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    if (s.size() > kMaxShown)
        s.resize(kMaxShown);
    text_ = s;
    negative_ = neg;
}

void TallyEngine::setText(const std::string &text)
{
    text_ = text.substr(0, kMaxText);
}

double TallyEngine::readNumber(const std::string &text)
{
    // Hand-scanned so the process locale cannot change what "." means.
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const std::size_t start = i;
    if (i < n && (text[i] == '-' || text[i] == '+'))
        ++i;
    const std::size_t digitsStart = i;
    while (i < n && text[i] >= '0' && text[i] <= '9')
        ++i;
    bool anyDigit = i > digitsStart;
    if (i < n && text[i] == '.') {
        const std::size_t frac = ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i;
        anyDigit = anyDigit || i > frac;
    }
    if (!anyDigit)
        return 0.0;
    std::size_t end = i;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '-' || text[j] == '+'))
            ++j;
        const std::size_t expDigits = j;
        while (j < n && text[j] >= '0' && text[j] <= '9')
            ++j;
        if (j > expDigits)
            end = j;
    }
    std::string number = text.substr(start, end - start);
    if (!number.empty() && number.front() == '+')
        number.erase(0, 1);
    double value = 0.0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

double TallyEngine::displayValue() const
{
    const double v = readNumber(text_);
    return negative_ ? -v : v;
}

std::string TallyEngine::shownText() const
{
    return negative_ ? "-" + text_ : text_;
}

} // namespace tally
