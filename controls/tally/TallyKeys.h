#pragma once

#include <QRect>
#include <QString>
#include <Qt>

#include <array>

namespace tally {

class TallyEngine;

constexpr int kKeyCount = 25;  // 5 x 5 grid, index = column + 5 * row
constexpr int kNoKey = -1;

enum class KeyKind { None, Digit, Point, Back, Operator, SquareRoot, Percent, Reciprocal, Sign, Clear, Function };

// Which colour property draws a key's caption.
enum class CaptionGroup { None, Number, Function, Operand, Clear };

struct KeyInfo {
    const char *caption;  // function keys take the host's caption instead
    KeyKind kind;
    CaptionGroup group;
    int value;  // digit, operator character, or function key number
};

const KeyInfo &keyInfo(int index);

// What one key's action asked of the host, beyond the engine's own state.
enum class KeyOutcome { None, Function1, Function2 };

// Runs the action of key `index` on the engine. Keys that do not exist with
// the current number of function keys do nothing.
KeyOutcome pressKey(TallyEngine &engine, int index, int functionKeys = 2);

// Keyboard key code to key index, kNoKey when the key has no calculator key.
int keyForKeyboard(int qtKey, Qt::KeyboardModifiers modifiers);

// Key and display rectangles in pixels. Rectangles are left/top inclusive with
// their width and height as computed; keys that do not exist are null.
struct TallyLayout {
    QRect display;
    std::array<QRect, kKeyCount> keys{};
};

// client: the control's area; a, b are its left and top, c, d its left + width
// and top + height.
TallyLayout computeLayout(const QRect &client, int calcXSize, int calcYSize, int functionKeys);

// Key under a point, kNoKey when none.
int keyAt(const TallyLayout &layout, const QPoint &pos);

} // namespace tally
