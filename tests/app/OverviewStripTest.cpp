// The overview strip beside the Compare grid: its place, its marks as painted, the frame of the
// rows in view, and a click that takes the three grids there.

#include "grid/OverviewStrip.h"
#include "support/FrameFixture.h"

#include <QScrollBar>

namespace {

class OverviewStripTest : public FrameFixture {
protected:
    OverviewStripTest()
        : FrameFixture({1200, 700})
    {
        folder.write("Tallir.ini", "[Tool]\nHideSame=0\n[Option]\nPrecisionSame=1\nPrecisionLog=6\n");
        placeSideBySide(400);
        // 300 rows: row 150 (0-based) differs in text, row 30 is regarded as the same.
        std::string text1, text2;
        for (int r = 0; r < 300; ++r) {
            text1 += "1 2\n";
            text2 += r == 150 ? "1 x\n" : r == 30 ? "1.0000000001 2\n" : "1 2\n";
        }
        load(folder.write("a.txt", QByteArray::fromStdString(text1)), folder.write("b.txt", QByteArray::fromStdString(text2)));
        strip = window(2).SideStrip();
    }
    std::unique_ptr<PaintRecorder> painted() { return PaintRecorder::Of(strip); }
    // The pixel row of a compared row.
    int y(int row) { return int(std::int64_t(row) * strip->height() / 300); }

    QWidget* strip = nullptr;
};

} // namespace

TEST_F(OverviewStripTest, MarksFrameAndClick)
{
    ASSERT_TRUE(strip);
    const QRect area = grid(2)->geometry();
    EXPECT_EQ(strip->geometry().left(), area.right() + 1) << "beside the grid's scroll bar";
    EXPECT_EQ(strip->height(), area.height());

    const auto marks = painted();
    const QColor red(236, 112, 99), same(204, 232, 222);
    const auto at = [&](int row) { return marks->fillAt({5, y(row)}).value_or(QColor()); };
    EXPECT_EQ(std::tuple(at(150), at(30), at(90) == red), std::tuple(red, same, false));
    // The rows in view are framed at the top.
    EXPECT_TRUE(std::any_of(marks->outlines.begin(), marks->outlines.end(), [](const auto& frame) { return frame.rect.top() <= 1; }));

    // Hiding the cells regarded as the same takes their mark away.
    modUtil::WriteString("Tool", "HideSame", "-1");
    EXPECT_NE(painted()->fillAt({5, y(30)}).value_or(QColor()), same);

    // One differing row among 3,000, alone in its pixel row: a mark two pixels high.
    std::string many1, many2;
    for (int r = 0; r < 3000; ++r) {
        many1 += "1 2\n";
        many2 += r == 1500 ? "1 x\n" : "1 2\n";
    }
    load(folder.write("c.txt", QByteArray::fromStdString(many1)), folder.write("d.txt", QByteArray::fromStdString(many2)));
    const int band = int(1500LL * strip->height() / 3000);
    const auto lone = painted();
    const auto redAt = [&](int y) { return lone->fillAt({5, y}).value_or(QColor()) == red; };
    EXPECT_EQ(std::tuple(redAt(band), redAt(band + 1), redAt(band + 2)), std::tuple(true, true, false));
    load(folder.path("a.txt"), folder.path("b.txt"));

    // A click near row 150 brings it into view in the three grids.
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(5, y(150)));
    for (int slot = 0; slot < 3; ++slot) {
        const qint64 first = grid(slot)->RowAt(0), last = grid(slot)->RowAt(grid(slot)->viewport()->height() - 1);
        EXPECT_TRUE(first <= 151 && 151 <= last) << slot << ": rows " << first << " to " << last;
    }
}
