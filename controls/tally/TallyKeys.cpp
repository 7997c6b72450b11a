#include "TallyKeys.h"

#include "TallyEngine.h"

#include <algorithm>

namespace tally {

namespace {

constexpr KeyInfo kKeys[kKeyCount] = {
    {"C", KeyKind::Clear, CaptionGroup::Clear, 0},
    {"Back", KeyKind::Back, CaptionGroup::Clear, 0},
    {"", KeyKind::None, CaptionGroup::None, 0},
    {"F1", KeyKind::Function, CaptionGroup::Clear, 1},
    {"F2", KeyKind::Function, CaptionGroup::Clear, 2},
    {"7", KeyKind::Digit, CaptionGroup::Number, 7},
    {"8", KeyKind::Digit, CaptionGroup::Number, 8},
    {"9", KeyKind::Digit, CaptionGroup::Number, 9},
    {"/", KeyKind::Operator, CaptionGroup::Operand, '/'},
    {"sqrt", KeyKind::SquareRoot, CaptionGroup::Function, 0},
    {"4", KeyKind::Digit, CaptionGroup::Number, 4},
    {"5", KeyKind::Digit, CaptionGroup::Number, 5},
    {"6", KeyKind::Digit, CaptionGroup::Number, 6},
    {"*", KeyKind::Operator, CaptionGroup::Operand, '*'},
    {"%", KeyKind::Percent, CaptionGroup::Function, '%'},
    {"1", KeyKind::Digit, CaptionGroup::Number, 1},
    {"2", KeyKind::Digit, CaptionGroup::Number, 2},
    {"3", KeyKind::Digit, CaptionGroup::Number, 3},
    {"-", KeyKind::Operator, CaptionGroup::Operand, '-'},
    {"1/x", KeyKind::Reciprocal, CaptionGroup::Function, 0},
    {"0", KeyKind::Digit, CaptionGroup::Number, 0},
    {"+/-", KeyKind::Sign, CaptionGroup::Number, 0},
    {".", KeyKind::Point, CaptionGroup::Number, 0},
    {"+", KeyKind::Operator, CaptionGroup::Operand, '+'},
    {"=", KeyKind::Operator, CaptionGroup::Operand, '='},
};

constexpr KeyInfo kNone = {"", KeyKind::None, CaptionGroup::None, 0};

} // namespace

const KeyInfo &keyInfo(int index)
{
    if (index < 0 || index >= kKeyCount)
        return kNone;
    return kKeys[index];
}

KeyOutcome pressKey(TallyEngine &engine, int index, int functionKeys)
{
    const KeyInfo &k = keyInfo(index);
    switch (k.kind) {
    case KeyKind::Digit:
        engine.digit(k.value);
        break;
    case KeyKind::Point:
        engine.point();
        break;
    case KeyKind::Back:
        engine.back();
        break;
    case KeyKind::Operator:
    case KeyKind::Percent:
        engine.op(static_cast<Op>(k.value));
        break;
    case KeyKind::SquareRoot:
        engine.squareRoot();
        break;
    case KeyKind::Reciprocal:
        engine.reciprocal();
        break;
    case KeyKind::Sign:
        engine.toggleSign();
        break;
    case KeyKind::Clear:
        engine.clear();
        break;
    case KeyKind::Function:
        if (k.value > functionKeys)
            break;
        return k.value == 1 ? KeyOutcome::Function1 : KeyOutcome::Function2;
    case KeyKind::None:
        break;
    }
    return KeyOutcome::None;
}

int keyForKeyboard(int qtKey, Qt::KeyboardModifiers modifiers)
{
    // Shifted keys produce their shifted symbol's code; only the two symbols
    // that are calculator keys count.
    if (qtKey == Qt::Key_Asterisk)
        return 13;
    if (qtKey == Qt::Key_Plus)
        return 23;
    if (modifiers & Qt::ShiftModifier)
        return kNoKey;
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 1;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Equal:
        return 24;
    case Qt::Key_C:
        return 0;
    case Qt::Key_Minus:
        return 18;
    case Qt::Key_Period:
        return 22;
    case Qt::Key_Comma:
        // Some keypads send a comma for their decimal key.
        return (modifiers & Qt::KeypadModifier) ? 22 : kNoKey;
    case Qt::Key_Slash:
        return 8;
    default:
        break;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        static constexpr int digitKey[10] = {20, 15, 16, 17, 10, 11, 12, 5, 6, 7};
        return digitKey[qtKey - Qt::Key_0];
    }
    return kNoKey;
}

TallyLayout computeLayout(const QRect &client, int calcXSize, int calcYSize, int functionKeys)
{
    const int a = client.left();
    const int b = client.top();
    const int c = client.left() + client.width();
    const int d = client.top() + client.height();

    TallyLayout out;
    const int u = (c - a) / 10;
    const int v = (d - b) / 18;
    const int dl = a + u - calcXSize;
    const int dt = b + v - calcYSize;
    const int dr = c + calcXSize - u;
    const int db = b + 3 * v - calcYSize;
    out.display = QRect(dl, dt, dr - dl, db - dt);

    const int f = (d - 5 * calcYSize - b) / 5;
    const int g = (d - f - b) / 5;
    const int keyHeight = g / 4 * 3;
    const int h = (2 * calcXSize + c - a) / 6;
    const int x0 = (c - a) / 2 + a - h * 5 / 2;
    const int m = std::max(h / 10, 1);
    const int wide = h * 3 / 2;

    for (int k = 0; k < kKeyCount; ++k) {
        const int i = k % 5;
        const int j = k / 5;
        const int top = b + j * g + f;
        int left = 0;
        int width = 0;
        switch (k) {
        case 0:
            left = x0 + m;
            width = wide - 2 * m;
            break;
        case 1:
            left = wide + x0 + m;
            width = wide - 2 * m;
            break;
        case 2:
            continue;
        case 3:
            if (functionKeys < 1)
                continue;
            left = 3 * h + x0 + m;
            width = functionKeys == 1 ? wide - 2 * m : h - 2 * m;
            break;
        case 4:
            if (functionKeys < 2)
                continue;
            left = 4 * h + x0 + m;
            width = h - 2 * m;
            break;
        default:
            left = i * h + x0 + m;
            width = h - 2 * m;
            break;
        }
        out.keys[static_cast<std::size_t>(k)] = QRect(left, top, width, keyHeight);
    }
    return out;
}

int keyAt(const TallyLayout &layout, const QPoint &pos)
{
    for (int k = 0; k < kKeyCount; ++k) {
        const QRect &r = layout.keys[static_cast<std::size_t>(k)];
        if (!r.isNull() && r.width() > 0 && r.height() > 0 && r.contains(pos))
            return k;
    }
    return kNoKey;
}

} // namespace tally
