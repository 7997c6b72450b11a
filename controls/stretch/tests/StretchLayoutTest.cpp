#include "StretchLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace gw::stretch;

namespace {

ChildEntry entryAt(int left, int top, int width, int height, int originLeft = 0,
                   int originTop = 0, int font = 0, qintptr handle = 1)
{
    ChildEntry e;
    e.handle = handle;
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.originLeft = originLeft;
    e.originTop = originTop;
    e.fontHeight = font;
    return e;
}

std::vector<ChildEntry> plainEntries(int n)
{
    std::vector<ChildEntry> out;
    for (int i = 0; i < n; ++i)
        out.push_back(entryAt(0, 0, 10, 10, 0, 0, 0, i + 1));
    return out;
}

LayoutInput rowInput(int align, int clientWidth, int clientHeight, int border = 0)
{
    LayoutInput in;
    in.childAlign = align;
    in.width = in.initialWidth = in.clientWidth = clientWidth;
    in.height = in.initialHeight = in.clientHeight = clientHeight;
    in.border = border;
    return in;
}

struct Box {
    bool placed;
    int left, top, width, height;
};

void expectBoxes(const std::vector<Placement>& got, const std::vector<Box>& want,
                 const std::string& label)
{
    ASSERT_EQ(got.size(), want.size()) << label;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].placed, want[i].placed) << label << " entry " << i;
        if (!want[i].placed)
            continue;
        EXPECT_EQ(got[i].left, want[i].left) << label << " entry " << i << " left";
        EXPECT_EQ(got[i].top, want[i].top) << label << " entry " << i << " top";
        EXPECT_EQ(got[i].width, want[i].width) << label << " entry " << i << " width";
        EXPECT_EQ(got[i].height, want[i].height) << label << " entry " << i << " height";
    }
}

TEST(StretchLayoutTest, ProportionalLayoutsScaleFromTheInitialSize)
{
    // Recorded 100, 40 inside a control whose screen origin was 50, 70.
    const std::vector<ChildEntry> entries = {entryAt(150, 110, 200, 20, 50, 70, 16)};
    struct Case {
        const char* label;
        int align, w, h, w0, h0, offX, offY;
        Box want;
        int font;
    };
    const Case cases[] = {
        {"P1 grow", AlignProportional1, 600, 450, 400, 300, 0, 0, {true, 150, 60, 300, 30}, 24},
        {"P2 grow", AlignProportional2, 600, 450, 400, 300, 0, 0, {true, 150, 60, 200, 20}, 16},
        {"P1 same", AlignProportional1, 400, 300, 400, 300, 0, 0, {true, 100, 40, 200, 20}, 16},
        // 100*333/400 = 83.25, 40*250/300 = 33.3, 200*333/400 = 166.5, 20*250/300 = 16.6
        {"P1 truncates", AlignProportional1, 333, 250, 400, 300, 0, 0, {true, 83, 33, 166, 16},
         13},
        {"P1 offset", AlignProportional1, 600, 450, 400, 300, 5, -7, {true, 155, 53, 300, 30},
         24},
        {"P2 offset", AlignProportional2, 200, 150, 400, 300, 3, 4, {true, 53, 24, 200, 20}, 16},
        // No area at the first paint: values stay unscaled rather than dividing by zero.
        {"P1 no initial width", AlignProportional1, 600, 450, 0, 0, 0, 0,
         {true, 100, 40, 200, 20}, 16},
    };
    for (const Case& c : cases) {
        LayoutInput in = rowInput(c.align, c.w, c.h);
        in.initialWidth = c.w0;
        in.initialHeight = c.h0;
        in.offsetX = c.offX;
        in.offsetY = c.offY;
        const auto got = computeLayout(in, entries, {});
        expectBoxes(got, {c.want}, c.label);
        EXPECT_EQ(got[0].fontHeight, c.font) << c.label;
    }
}

TEST(StretchLayoutTest, ProportionalDivisionTruncatesTowardZero)
{
    // Left of the origin: -7 * 3 / 2 = -10.5 becomes -10, not -11.
    const std::vector<ChildEntry> entries = {entryAt(-7, -5, 7, 5)};
    LayoutInput in = rowInput(AlignProportional1, 3, 3);
    in.initialWidth = 2;
    in.initialHeight = 2;
    const auto got = computeLayout(in, entries, {});
    expectBoxes(got, {{true, -10, -7, 10, 7}}, "negative");
}

TEST(StretchLayoutTest, RowAndColumnLayouts)
{
    struct Case {
        const char* label;
        int align, clientW, clientH, border, n;
        std::vector<bool> nested;
        std::vector<Box> want;
    };
    const Case cases[] = {
        {"row of three", AlignHorizontal, 300, 100, 0, 3, {},
         {{true, 10, 10, 86, 80}, {true, 106, 10, 86, 80}, {true, 202, 10, 86, 80}}},
        // Raised border: B = 2. (300 - 4 - 20 - 20) / 3 = 85, height 100 - 4 - 20 = 76.
        {"row with border", AlignHorizontal, 300, 100, 2, 3, {},
         {{true, 12, 12, 85, 76}, {true, 107, 12, 85, 76}, {true, 202, 12, 85, 76}}},
        // One nested entry: divides by the two placed ones, counts k over placed ones.
        {"row with nested", AlignHorizontal, 300, 100, 0, 3, {false, true, false},
         {{true, 10, 10, 130, 80}, {false, 0, 0, 0, 0}, {true, 150, 10, 130, 80}}},
        {"row too narrow", AlignHorizontal, 20, 100, 0, 2, {},
         {{true, 10, 10, 0, 80}, {true, 20, 10, 0, 80}}},
        {"row all nested", AlignHorizontal, 300, 100, 0, 2, {true, true},
         {{false, 0, 0, 0, 0}, {false, 0, 0, 0, 0}}},
        // Regular border: B = 1. (300 - 2 - 20 - 20) / 3 = 86, width 200 - 2 - 20 = 178.
        {"column of three", AlignVertical, 200, 300, 1, 3, {},
         {{true, 11, 11, 178, 86}, {true, 11, 107, 178, 86}, {true, 11, 203, 178, 86}}},
        // The column divides by every entry, nested ones included.
        {"column with nested", AlignVertical, 200, 300, 0, 3, {true, false, false},
         {{false, 0, 0, 0, 0}, {true, 10, 10, 180, 86}, {true, 10, 106, 180, 86}}},
        {"column too short", AlignVertical, 200, 30, 0, 2, {},
         {{true, 10, 10, 180, 0}, {true, 10, 20, 180, 0}}},
        {"column of one", AlignVertical, 200, 100, 0, 1, {}, {{true, 10, 10, 180, 80}}},
    };
    for (const Case& c : cases) {
        const LayoutInput in = rowInput(c.align, c.clientW, c.clientH, c.border);
        expectBoxes(computeLayout(in, plainEntries(c.n), c.nested), c.want, c.label);
    }
}

TEST(StretchLayoutTest, RowAndColumnUseMarginsSpacingAndOffset)
{
    LayoutInput in = rowInput(AlignHorizontal, 300, 100);
    in.spaceLeft = 5;
    in.spaceRight = 15;
    in.spaceTop = 3;
    in.spaceBottom = 7;
    in.childSpacing = 4;
    in.offsetX = 100;
    in.offsetY = 50;
    // (300 - 5 - 15 - 4) / 2 = 138; height 100 - 3 - 7 = 90.
    expectBoxes(computeLayout(in, plainEntries(2), {}),
                {{true, 105, 53, 138, 90}, {true, 247, 53, 138, 90}}, "row");
    in.childAlign = AlignVertical;
    // (100 - 3 - 7 - 4) / 2 = 43; width 300 - 5 - 15 = 280.
    expectBoxes(computeLayout(in, plainEntries(2), {}),
                {{true, 105, 53, 280, 43}, {true, 105, 100, 280, 43}}, "column");
}

TEST(StretchLayoutTest, NoneLayoutKeepsRecordedScreenPlaceRelativeToInitialPosition)
{
    const std::vector<ChildEntry> entries = {entryAt(230, 145, 40, 30, 0, 0, 12)};
    LayoutInput in = rowInput(AlignNone, 600, 450);
    in.initialLeft = 200;
    in.initialTop = 100;
    in.offsetX = 7;
    in.offsetY = 9;
    const auto got = computeLayout(in, entries, {});
    expectBoxes(got, {{true, 37, 54, 40, 30}}, "none");
    EXPECT_EQ(got[0].fontHeight, 12);
}

TEST(StretchLayoutTest, EmptyListGivesNothing)
{
    for (int align = AlignNone; align <= AlignProportional2; ++align)
        EXPECT_TRUE(computeLayout(rowInput(align, 100, 100), {}, {}).empty());
}

TEST(StretchLayoutTest, ChildListRefusesDuplicatesAndAFullList)
{
    ChildList list;
    EXPECT_EQ(list.add(entryAt(0, 0, 1, 1, 0, 0, 0, 5), false), 0);
    EXPECT_EQ(list.add(entryAt(0, 0, 1, 1, 0, 0, 0, 6), true), 0);
    EXPECT_EQ(list.add(entryAt(0, 0, 1, 1, 0, 0, 0, 7), false), 0);
    EXPECT_EQ(list.add(entryAt(9, 9, 1, 1, 0, 0, 0, 5), false), ErrorAlreadyListed);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.entries()[0].handle, 6);
    EXPECT_EQ(list.entries()[1].handle, 5);
    EXPECT_EQ(list.entries()[1].left, 0); // the refused duplicate changed nothing
    EXPECT_EQ(list.entries()[2].handle, 7);

    for (qintptr h = 100; list.size() < ChildList::kMaxEntries; ++h)
        ASSERT_EQ(list.add(entryAt(0, 0, 1, 1, 0, 0, 0, h), false), 0);
    EXPECT_EQ(list.check(999999), ErrorListFull);
    EXPECT_EQ(list.add(entryAt(0, 0, 1, 1, 0, 0, 0, 999999), false), ErrorListFull);
    EXPECT_EQ(list.check(5), ErrorAlreadyListed); // a duplicate is reported first
    EXPECT_EQ(list.size(), ChildList::kMaxEntries);
}

TEST(StretchLayoutTest, ControlAlignTargets)
{
    const QSize parent(500, 400);
    struct Case {
        int align;
        QRect want;
    };
    const Case cases[] = {{CtrlAlignTop, QRect(0, 0, 500, 40)},
                          {CtrlAlignBottom, QRect(0, 360, 500, 40)},
                          {CtrlAlignLeft, QRect(0, 0, 60, 400)},
                          {CtrlAlignRight, QRect(440, 0, 60, 400)},
                          {CtrlAlignFill, QRect(0, 0, 500, 400)}};
    for (const Case& c : cases)
        EXPECT_EQ(controlAlignTarget(c.align, parent, 60, 40), c.want) << c.align;
    EXPECT_FALSE(controlAlignTarget(CtrlAlignNone, parent, 60, 40).isValid());
}

TEST(StretchLayoutTest, PropertyRanges)
{
    struct Case {
        bool (*valid)(int);
        int low, high;
    };
    const Case cases[] = {{isValidBorderType, 0, 3},
                          {isValidChildAlign, 0, 4},
                          {isValidControlAlign, 0, 5},
                          {isValidAutoConfig, 0, 3}};
    for (const Case& c : cases) {
        EXPECT_FALSE(c.valid(c.low - 1));
        EXPECT_TRUE(c.valid(c.low));
        EXPECT_TRUE(c.valid(c.high));
        EXPECT_FALSE(c.valid(c.high + 1));
    }
    EXPECT_EQ(clampAlignSize(3), 5);
    EXPECT_EQ(clampAlignSize(-100), 5);
    EXPECT_EQ(clampAlignSize(5), 5);
    EXPECT_EQ(clampAlignSize(6), 6);
    EXPECT_EQ(borderWidth(BorderRegular), 1);
    EXPECT_EQ(borderWidth(BorderNone), 0);
    EXPECT_EQ(borderWidth(BorderRaised), 2);
    EXPECT_EQ(borderWidth(BorderLowered), 2);
}

TEST(StretchLayoutTest, SplitterRectangle)
{
    EXPECT_EQ(splitterRect(10, 20, 300, 200, 1, 2, 3, 4), QRect(11, 22, 302, 202));
    EXPECT_EQ(splitterRect(10, 20, 300, 200, 0, 0, 0, 0), QRect(10, 20, 300, 200));
    // Spacings that cross the edges give an empty rectangle, not a negative one.
    EXPECT_EQ(splitterRect(0, 0, 5, 5, 10, 10, 0, 0).size(), QSize(0, 0));
}

TEST(StretchLayoutTest, TilesCoverTheArea)
{
    const auto tiles = tileOrigins(QRect(0, 0, 70, 40), QSize(32, 32));
    const std::vector<QPoint> want = {{0, 0}, {0, 32}, {32, 0}, {32, 32}, {64, 0}, {64, 32}};
    EXPECT_EQ(tiles, want);
    EXPECT_TRUE(tileOrigins(QRect(0, 0, 70, 40), QSize(0, 0)).empty());
}

} // namespace
