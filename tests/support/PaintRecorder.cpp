#include "PaintRecorder.h"

#include "grid/MSFlexGrid.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>
#include <QTransform>

namespace {

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(PaintRecorder& recorder)
        : QPaintEngine(AllFeatures)
        , recorder_(recorder)
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override
    {
        const auto dirty = state.state();
        if (dirty & DirtyPen)
            pen_ = state.pen();
        if (dirty & DirtyBrush)
            brush_ = state.brush();
        if (dirty & DirtyTransform)
            transform_ = state.transform();
        if (dirty & DirtyFont)
            font_ = state.font();
    }

    void drawTextItem(const QPointF& position, const QTextItem& item) override
    {
        recorder_.texts.push_back({item.text(), transform_.map(position), pen_.color(), item.font()});
    }

    void drawRects(const QRectF* rects, int count) override
    {
        for (int k = 0; k < count; ++k) {
            if (brush_.style() != Qt::NoBrush)
                recorder_.fills.push_back({transform_.mapRect(rects[k]), brush_.color()});
            else if (pen_.style() != Qt::NoPen)
                recorder_.outlines.push_back({transform_.mapRect(rects[k]), pen_.color()});
        }
    }

    void drawRects(const QRect* rects, int count) override
    {
        for (int k = 0; k < count; ++k) {
            const QRectF rect(rects[k]);
            drawRects(&rect, 1);
        }
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath& path) override
    {
        if (pen_.style() != Qt::NoPen)
            recorder_.outlines.push_back({transform_.mapRect(path.boundingRect()), pen_.color()});
    }

private:
    PaintRecorder& recorder_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    QFont font_;
};

} // namespace

PaintRecorder::PaintRecorder(const QSize& size)
    : size_(size)
    , engine_(std::make_unique<RecordingEngine>(*this))
{
}

PaintRecorder::~PaintRecorder() = default;

QPaintEngine* PaintRecorder::paintEngine() const
{
    return engine_.get();
}

int PaintRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return size_.width() * 254 / 960;
    case PdmHeightMM:
        return size_.height() * 254 / 960;
    case PdmNumColors:
        return 1 << 24;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return 0;
    }
}

QStringList PaintRecorder::textsIn(const QRect& rect) const
{
    QStringList found;
    for (const Text& text : texts)
        if (QRectF(rect).contains(text.position))
            found << text.text;
    return found;
}

QStringList PaintRecorder::allTexts() const
{
    QStringList found;
    for (const Text& text : texts)
        found << text.text;
    return found;
}

std::optional<QColor> PaintRecorder::fillAt(const QPoint& point) const
{
    for (auto it = fills.rbegin(); it != fills.rend(); ++it)
        if (it->rect.contains(QPointF(point) + QPointF(0.5, 0.5)))
            return it->color;
    return std::nullopt;
}

std::unique_ptr<PaintRecorder> PaintRecorder::Of(QWidget* widget)
{
    auto recorder = std::make_unique<PaintRecorder>(widget->size());
    widget->render(recorder.get());
    return recorder;
}

QRect PaintRecorder::CellRect(MSFlexGrid* grid, qint64 row, qint64 col)
{
    const int shown = grid->Model()->modelRow(row);
    return shown < 0 ? QRect() : grid->visualRect(grid->Model()->index(shown, int(col - 1)));
}

QColor PaintRecorder::CellColour(MSFlexGrid* grid, qint64 row, qint64 col)
{
    return Of(grid->viewport())->fillAt(CellRect(grid, row, col).center()).value_or(QColor());
}
