#pragma once
// A narrow strip beside a comparison's grid that maps the whole compared height onto its own:
// each pixel row in the colour of the worst verdict among the rows it covers, a frame around the
// rows in view, and a click or drag there scrolls the grid (and the grids linked to it) to that
// place.

#include "core/VerdictList.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class MSFlexGrid;

class OverviewStrip : public QWidget {
    Q_OBJECT
public:
    // beyondOnly tells, when asked, whether the cells regarded as the same are left out.
    OverviewStrip(MSFlexGrid* grid, std::function<bool()> beyondOnly, QWidget* parent);

    // Compared rows the pixel row y covers: the first one.
    static std::uint64_t RowAt(int y, int height, std::uint64_t rows);
    // The colour of each pixel row as last built (built again when the comparison, the height or
    // the choice of beyondOnly changed).
    const std::vector<std::optional<tallir::Verdict>>& Bands();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void scrollTo(int y);

    MSFlexGrid* grid_;
    std::function<bool()> beyondOnly_;
    std::vector<std::optional<tallir::Verdict>> bands_;
    std::uint64_t builtGeneration_ = ~std::uint64_t(0);
    int builtHeight_ = -1;
    bool builtBeyondOnly_ = false;
};
