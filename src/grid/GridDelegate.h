#pragma once
// Paints one body cell of a grid. A number too wide for its column shows "###" across the
// cell instead of a clipped or elided prefix, which would read as another number; other texts
// elide at the right. The view's focus frame is drawn on the grid's current cell only, never
// on a cell the view itself wandered to.

#include <QStyledItemDelegate>

class MSFlexGrid;

class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(MSFlexGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // What a cell shows of text in a text area available pixels wide: the text itself, or as
    // many '#' as fit when it is a number that does not fit.
    static QString ShownText(const QString& text, const QFontMetrics& metrics, int available);

private:
    MSFlexGrid* grid_;
};
