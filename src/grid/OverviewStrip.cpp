#include "OverviewStrip.h"

#include "MSFlexGrid.h"
#include "core/Navigation.h"
#include "core/VerdictColour.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

OverviewStrip::OverviewStrip(MSFlexGrid* grid, std::function<bool()> beyondOnly, QWidget* parent)
    : QWidget(parent)
    , grid_(grid)
    , beyondOnly_(std::move(beyondOnly))
{
    setObjectName(QStringLiteral("OverviewStrip"));
    setFixedWidth(12);
    setToolTip(QStringLiteral("The differences over the whole comparison; click or drag to go there"));
    // The frame follows the grid's scrolling.
    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
}

std::uint64_t OverviewStrip::RowAt(int y, int height, std::uint64_t rows)
{
    if (height <= 0 || rows == 0)
        return 0;
    return std::min<std::uint64_t>(rows - 1, std::uint64_t(std::clamp(y, 0, height - 1)) * rows / std::uint64_t(height));
}

const std::vector<std::optional<tallir::Verdict>>& OverviewStrip::Bands()
{
    const tallir::CompareResult* result = grid_->Store().comparison();
    const bool beyond = beyondOnly_ && beyondOnly_();
    const std::uint64_t generation = grid_->Store().generation();
    if (generation != builtGeneration_ || height() != builtHeight_ || beyond != builtBeyondOnly_) {
        bands_ = result ? tallir::WorstPerBand(*result, std::size_t(std::max(0, height())), beyond)
                        : std::vector<std::optional<tallir::Verdict>>();
        builtGeneration_ = generation;
        builtHeight_ = height();
        builtBeyondOnly_ = beyond;
    }
    return bands_;
}

void OverviewStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const tallir::CompareResult* result = grid_->Store().comparison();
    if (!result || result->comparedRows == 0)
        return;
    const auto& bands = Bands();
    const double threshold = result->options.precisionLog;
    for (int y = 0; y < int(bands.size()); ++y) {
        if (!bands[std::size_t(y)])
            continue;
        const tallir::Rgb rgb = tallir::VerdictRgb(*bands[std::size_t(y)], threshold);
        // A lone mark is two pixels high, so that one differing row can be seen.
        const bool lone = (y == 0 || !bands[std::size_t(y) - 1]) && (y + 1 == int(bands.size()) || !bands[std::size_t(y) + 1]);
        painter.fillRect(QRect(0, y, width(), lone ? 2 : 1), QColor(rgb.red, rgb.green, rgb.blue));
    }
    // The rows in view.
    const std::uint64_t rows = result->comparedRows;
    // Rows in view as compared (a row filter shows some of them only).
    const GridStore& store = grid_->Store();
    const qint64 first = grid_->RowAt(0);
    const qint64 last = grid_->RowAt(grid_->viewport()->height() - 1);
    const std::uint64_t top = std::uint64_t(std::max<qint64>(0, store.baseRow(std::max<qint64>(1, first)) - 1));
    const std::uint64_t bottom = last < 0 ? rows : std::uint64_t(store.baseRow(last));
    const int y0 = int(top * std::uint64_t(height()) / rows);
    const int y1 = std::max(y0 + 2, int(bottom * std::uint64_t(height()) / rows));
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(QRect(0, y0, width() - 1, std::min(y1, height()) - y0 - 1));
}

void OverviewStrip::scrollTo(int y)
{
    const tallir::CompareResult* result = grid_->Store().comparison();
    if (!result || result->comparedRows == 0)
        return;
    const std::uint64_t row = RowAt(y, height(), result->comparedRows);
    const qint64 shown = grid_->Store().shownRow(qint64(row) + 1, true);
    if (shown > 0)
        grid_->ScrollTo(shown, grid_->LeftCol(), QAbstractItemView::PositionAtCenter);
}

void OverviewStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        scrollTo(int(event->position().y()));
}

void OverviewStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        scrollTo(int(event->position().y()));
}
