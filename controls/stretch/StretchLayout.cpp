#include "StretchLayout.h"

#include <algorithm>
#include <new>

namespace gw::stretch {

bool isValidBorderType(int v) { return v >= BorderRegular && v <= BorderLowered; }
bool isValidChildAlign(int v) { return v >= AlignNone && v <= AlignProportional2; }
bool isValidControlAlign(int v) { return v >= CtrlAlignNone && v <= CtrlAlignFill; }
bool isValidAutoConfig(int v) { return v >= ConfigNone && v <= ConfigBoth; }

qint16 clampAlignSize(int v) { return qint16(std::clamp(v, 5, 32767)); }

int borderWidth(int borderType)
{
    switch (borderType) {
    case BorderRegular: return 1;
    case BorderRaised:
    case BorderLowered: return 2;
    default: return 0;
    }
}

bool ChildList::contains(qintptr handle) const
{
    return m_handles.count(handle) != 0;
}

int ChildList::check(qintptr handle) const
{
    if (contains(handle))
        return ErrorAlreadyListed;
    if (size() >= kMaxEntries)
        return ErrorListFull;
    return 0;
}

int ChildList::add(const ChildEntry& entry, bool atFront)
{
    if (const int refused = check(entry.handle))
        return refused;
    try {
        m_handles.insert(entry.handle);
        try {
            if (atFront)
                m_entries.insert(m_entries.begin(), entry);
            else
                m_entries.push_back(entry);
        } catch (...) {
            m_handles.erase(entry.handle);
            throw;
        }
    } catch (const std::bad_alloc&) {
        return ErrorOutOfMemory;
    }
    return 0;
}

namespace {

// value × now / initial, product first, truncating toward zero. An initial size of 0
// (a container that had no area at its first paint) leaves the value unscaled instead
// of dividing by zero.
int scaled(int value, int now, int initial)
{
    if (initial == 0)
        return value;
    return int(qint64(value) * now / initial);
}

int divided(int numerator, int count)
{
    if (count <= 0)
        return 0;
    return std::max(0, numerator / count);
}

} // namespace

std::vector<Placement> computeLayout(const LayoutInput& in, const std::vector<ChildEntry>& entries,
                                     const std::vector<bool>& nested)
{
    const int n = int(entries.size());
    auto isNested = [&nested](int i) { return i < int(nested.size()) && nested[size_t(i)]; };
    int v = 0;
    for (int i = 0; i < n; ++i)
        v += isNested(i) ? 0 : 1;

    const int b = in.border;
    // Horizontal divides by the entries it places (v may be 0), Vertical by all of them.
    const int rowWidth = divided(in.clientWidth - 2 * b - in.spaceLeft - in.spaceRight
                                     + in.childSpacing * (1 - n),
                                 v);
    const int rowHeight = in.clientHeight - 2 * b - in.spaceTop - in.spaceBottom;
    const int columnWidth = in.clientWidth - 2 * b - in.spaceLeft - in.spaceRight;
    const int columnHeight = divided(in.clientHeight - 2 * b - in.spaceTop - in.spaceBottom
                                         + in.childSpacing * (1 - n),
                                     n);

    std::vector<Placement> out(static_cast<size_t>(n));
    int k = 0;
    for (int i = 0; i < n; ++i) {
        const ChildEntry& e = entries[size_t(i)];
        Placement& p = out[size_t(i)];
        if (isNested(i))
            continue;
        p.placed = true;
        p.fontHeight = e.fontHeight;
        switch (in.childAlign) {
        case AlignHorizontal:
            p.width = rowWidth;
            p.height = rowHeight;
            p.left = (in.childSpacing + rowWidth) * k + in.offsetX + in.spaceLeft + b;
            p.top = in.offsetY + b + in.spaceTop;
            break;
        case AlignVertical:
            p.width = columnWidth;
            p.height = columnHeight;
            p.left = in.offsetX + in.spaceLeft + b;
            p.top = (in.childSpacing + columnHeight) * k + in.offsetY + b + in.spaceTop;
            break;
        case AlignProportional1:
        case AlignProportional2:
            p.left = scaled(e.left - e.originLeft, in.width, in.initialWidth) + in.offsetX;
            p.top = in.offsetY + scaled(e.top - e.originTop, in.height, in.initialHeight);
            if (in.childAlign == AlignProportional1) {
                p.width = scaled(e.width, in.width, in.initialWidth);
                p.height = scaled(e.height, in.height, in.initialHeight);
                p.fontHeight = scaled(e.fontHeight, in.height, in.initialHeight);
            } else {
                p.width = e.width;
                p.height = e.height;
            }
            break;
        default: // AlignNone
            p.left = e.left + in.offsetX - in.initialLeft;
            p.top = e.top + in.offsetY - in.initialTop;
            p.width = e.width;
            p.height = e.height;
            break;
        }
        ++k;
    }
    return out;
}

QRect controlAlignTarget(int controlAlign, QSize parent, int sizeWidth, int sizeHeight)
{
    const int pw = parent.width();
    const int ph = parent.height();
    switch (controlAlign) {
    case CtrlAlignTop: return QRect(0, 0, pw, sizeHeight);
    case CtrlAlignBottom: return QRect(0, ph - sizeHeight, pw, sizeHeight);
    case CtrlAlignLeft: return QRect(0, 0, sizeWidth, ph);
    case CtrlAlignRight: return QRect(pw - sizeWidth, 0, sizeWidth, ph);
    case CtrlAlignFill: return QRect(0, 0, pw, ph);
    default: return QRect();
    }
}

QRect splitterRect(int a, int b, int c, int d, int splitLeft, int splitTop, int splitRight,
                   int splitBottom)
{
    const int left = a + splitLeft;
    const int top = b + splitTop;
    const int right = a + c + splitRight;
    const int bottom = b + d + splitBottom;
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

std::vector<BorderLine> borderLines(int borderType, const QRect& area, const QColor& borderColour)
{
    std::vector<BorderLine> lines;
    if (area.width() <= 0 || area.height() <= 0)
        return lines;
    // One ring inset by `inset`: top and left in the first colour, bottom and right (the
    // last pixels inside) in the second, drawn after so that they own the corners.
    auto ring = [&lines, &area](int inset, const QColor& topLeft, const QColor& bottomRight) {
        const int l = area.left() + inset, t = area.top() + inset;
        const int r = area.right() - inset, b = area.bottom() - inset;
        if (r < l || b < t)
            return;
        lines.push_back({topLeft, QLine(l, t, r, t)});
        lines.push_back({topLeft, QLine(l, t, l, b)});
        lines.push_back({bottomRight, QLine(l, b, r, b)});
        lines.push_back({bottomRight, QLine(r, t, r, b)});
    };
    const QColor white(255, 255, 255), dark(128, 128, 128), light(192, 192, 192),
        black(0, 0, 0);
    switch (borderType) {
    case BorderRegular: ring(0, borderColour, borderColour); break;
    case BorderRaised:
        ring(0, white, dark);
        ring(1, light, black);
        break;
    case BorderLowered:
        ring(0, dark, white);
        ring(1, black, light);
        break;
    default: break;
    }
    return lines;
}

std::vector<QPoint> tileOrigins(const QRect& area, QSize tile)
{
    std::vector<QPoint> out;
    if (tile.width() <= 0 || tile.height() <= 0 || area.isEmpty())
        return out;
    for (int x = area.left(); x <= area.right(); x += tile.width())
        for (int y = area.top(); y <= area.bottom(); y += tile.height())
            out.emplace_back(x, y);
    return out;
}

} // namespace gw::stretch
