#pragma once
// What the mouse does in a grid, wherever it is pressed: the body, the header row and column,
// or the top-left corner. A press selects (a header cell its whole column or row, the corner
// every body cell) and tells the grid's MouseDown; a drag stretches the block, scrolling on
// while the pointer is held beyond the body's edge; a release and a double-click are told as
// MouseUp and DblClick. A press on a column border is left to the header, which resizes the
// column and leaves the block alone.

#include "GridSelection.h"

#include <QEvent>
#include <QObject>
#include <QPoint>

class MSFlexGrid;
class QMouseEvent;
class QTimer;
class QWidget;

class GridPointer : public QObject {
public:
    // Watches the grid's viewport, its two header views and its corner.
    explicit GridPointer(MSFlexGrid* grid);

    // The grid cell (headers included) under a point of the grid's own coordinates.
    std::pair<qint64, qint64> cellAt(const QPoint& position) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handle(QMouseEvent* event, QEvent::Type type);
    void drag(const QPoint& position);
    // Whether a press at this point of the column header grabs a column border.
    bool onColumnBorder(const QPoint& inHeader) const;
    void autoScroll();
    // The cell at a point, brought inside the body first.
    std::pair<qint64, qint64> cellInBody(const QPoint& position) const;

    MSFlexGrid* grid_;
    QWidget* corner_;
    QTimer* autoScrollTimer_;
    DragSelection drag_;
    bool dragging_ = false;
    bool resizing_ = false;
    QPoint dragPosition_; // grid coordinates
};
