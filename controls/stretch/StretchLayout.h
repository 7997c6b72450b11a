#pragma once
// The geometry of the stretch container as plain arithmetic, with no widget: the child
// list, the child layouts, aligning the container against its parent, the splitter
// rectangle, border lines and background tiles. The widget only feeds it numbers.

#include <QColor>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGlobal>

#include <unordered_set>
#include <vector>

namespace gw::stretch {

enum BorderType : qint16 { BorderRegular = 0, BorderNone = 1, BorderRaised = 2, BorderLowered = 3 };
enum ChildAlignment : qint16 {
    AlignNone = 0,
    AlignHorizontal = 1,
    AlignVertical = 2,
    AlignProportional1 = 3,
    AlignProportional2 = 4
};
enum ControlAlignment : qint16 {
    CtrlAlignNone = 0,
    CtrlAlignTop = 1,
    CtrlAlignBottom = 2,
    CtrlAlignLeft = 3,
    CtrlAlignRight = 4,
    CtrlAlignFill = 5
};
enum AutoConfiguration : qint16 { ConfigNone = 0, ConfigChild = 1, ConfigParent = 2, ConfigBoth = 3 };

bool isValidBorderType(int v);
bool isValidChildAlign(int v);
bool isValidControlAlign(int v);
bool isValidAutoConfig(int v);
// SizeHeight and SizeWidth never go below 5.
qint16 clampAlignSize(int v);
// Border width used by the row and column layouts.
int borderWidth(int borderType);

enum ErrorCode : qint16 {
    ErrorOutOfMemory = 7,
    ErrorListFull = 32000,
    ErrorNotAWindow = 32002,
    ErrorAlreadyListed = 32003
};

enum EntryKind : int { KindWindow = 0, KindItem = 1 };

struct ChildEntry {
    qintptr handle = 0; // the child's window handle, or the host's item number
    int left = 0, top = 0, width = 0, height = 0;
    int originLeft = 0, originTop = 0;
    int fontHeight = 0;
    int kind = KindWindow;
};

class ChildList {
public:
    static constexpr int kMaxEntries = 32000;

    int size() const { return int(m_entries.size()); }
    const std::vector<ChildEntry>& entries() const { return m_entries; }
    bool contains(qintptr handle) const;
    // 0 when the entry may be added, otherwise ErrorAlreadyListed or ErrorListFull.
    int check(qintptr handle) const;
    // Adds after a successful check; returns 0 or the refusing error (nothing added then).
    int add(const ChildEntry& entry, bool atFront);

private:
    std::vector<ChildEntry> m_entries;
    std::unordered_set<qintptr> m_handles; // keeps the duplicate check cheap at 32000
};

struct LayoutInput {
    int childAlign = AlignNone;
    int width = 0, height = 0;               // W, H: the container's window now
    int initialWidth = 0, initialHeight = 0; // W0, H0
    int initialLeft = 0, initialTop = 0;     // screen position captured at the first paint
    int clientWidth = 0, clientHeight = 0;
    int border = 0;
    int spaceLeft = 10, spaceRight = 10, spaceTop = 10, spaceBottom = 10;
    int childSpacing = 10;
    int offsetX = 0, offsetY = 0;
};

struct Placement {
    bool placed = false; // false for a nested container, which arranges itself
    int left = 0, top = 0, width = 0, height = 0;
    int fontHeight = 0;
};

// One placement per entry, in list order. nested[i] tells whether entry i is itself a
// stretch container; it may be shorter than entries (missing means not nested).
std::vector<Placement> computeLayout(const LayoutInput& in, const std::vector<ChildEntry>& entries,
                                     const std::vector<bool>& nested);

// The rectangle the container takes against its parent's client size, or an invalid
// rectangle when ControlAlign is None.
QRect controlAlignTarget(int controlAlign, QSize parent, int sizeWidth, int sizeHeight);

// Placement from the splitter's four values and the Split* spacings.
QRect splitterRect(int a, int b, int c, int d, int splitLeft, int splitTop, int splitRight,
                   int splitBottom);

struct BorderLine {
    QColor colour;
    QLine line; // both ends inside the area
};
// Lines in drawing order; later lines win where they cross.
std::vector<BorderLine> borderLines(int borderType, const QRect& area, const QColor& borderColour);

// Top-left corners of the tiles covering the area, column by column.
std::vector<QPoint> tileOrigins(const QRect& area, QSize tile);

} // namespace gw::stretch
