#pragma once
// The grid control: a QTableView over a GridModel, shaped after the classic flex grid that the
// windows were written against. Rows and columns count from 0 with the header row and column
// first; lengths are twips. The header row and column are the view's header views, so they
// stay in sight while the body scrolls. Qt is shown only a window of the rows, from the top
// row in view on (see GridModel), while the vertical scroll bar spans them all: a grid of
// hundreds of millions of rows costs the view no more than a screenful. Rows keep one height. Row/Col is the current cell and RowSel/ColSel the far
// corner of the selected block, which is drawn highlighted.

#include "GridModel.h"
#include "GridSelection.h"

#include <QTableView>

class MSFlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit MSFlexGrid(QWidget* parent = nullptr);

    qint64 Rows() const { return model_->store().rows(); }
    qint64 Cols() const { return model_->store().cols(); }
    void SetRows(qint64 rows);
    void SetCols(qint64 cols);
    qint64 FixedRows() const { return 1; }
    qint64 FixedCols() const { return 1; }

    // Setting a position outside the grid is refused (false) and changes nothing.
    qint64 Row() const { return row_; }
    qint64 Col() const { return col_; }
    qint64 RowSel() const { return rowSel_; }
    qint64 ColSel() const { return colSel_; }
    bool SetRow(qint64 row);
    bool SetCol(qint64 col);
    bool SetRowSel(qint64 row);
    bool SetColSel(qint64 col);

    qint64 TopRow() const;
    qint64 LeftCol() const;
    bool SetTopRow(qint64 row);
    bool SetLeftCol(qint64 col);

    qint64 MouseRow() const { return mouseRow_; }
    qint64 MouseCol() const { return mouseCol_; }
    void SetMouseCell(qint64 row, qint64 col)
    {
        mouseRow_ = row;
        mouseCol_ = col;
    }

    QString Text() const { return TextMatrix(row_, col_); }
    QString TextMatrix(qint64 row, qint64 col) const;
    void SetTextMatrix(qint64 row, qint64 col, const QString& text);

    double ColWidth(qint64 col) const;
    void SetColWidth(qint64 col, double twips);
    double RowHeight(qint64 row) const;

    // Cell formats apply to the current cell, or with FillStyle 1 to the whole selected block.
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int style) { fillStyle_ = style; }
    bool CellFontBold() const;
    void SetCellFontBold(bool bold);
    void SetCellBackColor(const QColor& color);
    void SetCellForeColor(const QColor& color);

    QColor BackColor() const { return model_->colors().back; }
    QColor ForeColor() const { return model_->colors().fore; }
    QColor BackColorFixed() const { return model_->colors().backFixed; }
    QColor ForeColorFixed() const { return model_->colors().foreFixed; }
    QColor BackColorSel() const { return model_->colors().backSel; }
    QColor ForeColorSel() const { return model_->colors().foreSel; }
    static QColor GridColor() { return QColor(192, 192, 192); }
    static QColor GridColorFixed() { return QColor(0, 0, 0); }
    static QColor BackColorBkg() { return QColor(128, 128, 128); }

    bool Redraw() const { return redraw_; }
    void SetRedraw(bool redraw);
    int MergeCells() const { return 0; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    bool ScrollTrack() const { return scrollTrack_; }
    void SetScrollTrack(bool track);
    int AllowUserResizing() const { return allowUserResizing_; }
    void SetAllowUserResizing(int mode);
    int OLEDropMode() const { return oleDropMode_; }
    void SetOLEDropMode(int mode);

    void AddItem(const QString& fields);
    void RemoveItem(qint64 row);
    void Refresh();
    // Row..RowSel by Col..ColSel, whichever way round they lie.
    CellRect SelectedBlock() const;
    // Row, Col, RowSel and ColSel at once.
    GridBlock Block() const { return {row_, col_, rowSel_, colSel_}; }
    void SetBlock(const GridBlock& block);
    GridBounds Bounds() const;
    // The selected block as TAB-separated lines, for the clipboard.
    QString SelectedText() const;
    // Repaints the header row and column only, at once.
    void RefreshHeaders();

    // Whole contents at once: a loaded table or a comparison, without any per-cell call.
    void ShowTable(tallir::Table table);
    // The loaded table's rows in the order of an alignment (see GridStore::showAligned).
    void ShowAligned(std::shared_ptr<const tallir::RowAlignment> alignment, bool file1);
    // Only these rows (see GridStore::showOnly); null: every row.
    void ShowOnly(std::shared_ptr<const tallir::RowSet> rows);
    void ShowComparison(tallir::CompareResult result, tallir::NumberSeparators separators,
                        std::vector<std::string> names = {}, qint64 lineOffset = 0);
    const GridStore& Store() const { return model_->store(); }
    GridModel* Model() const { return model_; }

    // A line shown centred in the empty grid until it first shows a table or a comparison.
    void SetEmptyHint(const QString& hint);
    QString EmptyHint() const { return emptyHint_; }
    bool ShowsEmptyHint() const { return !emptyHint_.isEmpty() && model_->store().generation() == 0; }

    // Scrolls so that the cell (grid row and column) is wholly in view.
    void EnsureVisible(qint64 row, qint64 col) { ScrollTo(row, col, QAbstractItemView::EnsureVisible); }
    // Scrolls to a body cell: its row as the hint asks, its column into view.
    void ScrollTo(qint64 row, qint64 col, ScrollHint hint);
    // The grid row at a height in the viewport; -1 below the last row.
    qint64 RowAt(int y) const;
    // Body rows wholly in view.
    qint64 PageRows() const;

    // Twips per pixel of this screen, horizontally and vertically.
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

signals:
    void DblClick();
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void Scroll();
    void OLEDragDrop(const QStringList& files);
    // A navigation key moved the selection (Row, Col, RowSel, ColSel hold the new block).
    void KeySelection();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

public:
    // Qt's own scrolling to a model index, taken to the rows the index stands for.
    void scrollTo(const QModelIndex& index, ScrollHint hint = QAbstractItemView::EnsureVisible) override;

private:
    void selectionChanged();
    void formatsChanged();
    CellRect formatTarget() const;
    void applyShape();
    // Shows Qt the rows from the scroll bar's top row on.
    void syncWindow();
    // The vertical scroll bar over every row, a page being the rows wholly in view.
    void fitScrollRange();

    GridModel* model_;
    qint64 row_ = 1, col_ = 1, rowSel_ = 1, colSel_ = 1;
    qint64 mouseRow_ = 0, mouseCol_ = 0;
    int fillStyle_ = 0;
    bool redraw_ = true;
    bool wordWrap_ = false;
    bool scrollTrack_ = false;
    int allowUserResizing_ = 0;
    int oleDropMode_ = 0;
    QString emptyHint_;
    class GridPointer* pointer_;
    // While Qt lays the view out it sets the scroll bar to its own idea of the rows.
    bool adjusting_ = false;
};
