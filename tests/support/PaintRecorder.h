#pragma once
// Records what a widget paints, as a person would read it off the screen: every text drawn,
// with where it stands, its colour and font, and every rectangle filled, with its colour.
// Render a widget into it with widget->render(&recorder); positions are in that widget's
// coordinates.

#include <QColor>
#include <QFont>
#include <QPaintDevice>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class MSFlexGrid;
class QWidget;

class PaintRecorder : public QPaintDevice {
public:
    // A text's position is the start of its baseline.
    struct Text { QString text; QPointF position; QColor color; QFont font; };
    struct Fill { QRectF rect; QColor color; };

    explicit PaintRecorder(const QSize& size);
    ~PaintRecorder() override;

    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Fill> outlines; // rectangles drawn without a fill and outlined shapes, in their pen's colour

    // The texts whose baseline starts inside rect, in the order painted.
    QStringList textsIn(const QRect& rect) const;
    // Every text, in the order painted.
    QStringList allTexts() const;
    // The colour last filled over a point.
    std::optional<QColor> fillAt(const QPoint& point) const;

    QPaintEngine* paintEngine() const override;

    // What a widget paints, recorded.
    static std::unique_ptr<PaintRecorder> Of(QWidget* widget);
    // Where a body cell (grid numbering, from 1) is painted in the viewport; empty when its row
    // is not shown.
    static QRect CellRect(MSFlexGrid* grid, qint64 row, qint64 col);
    // The colour a grid paints last over the middle of a body cell.
    static QColor CellColour(MSFlexGrid* grid, qint64 row, qint64 col);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize size_;
    std::unique_ptr<QPaintEngine> engine_;
};
