#pragma once
// How a grid's selection moves under the keyboard and the mouse, decided without a widget.
//
// Keys: a plain key moves the current cell and collapses the block onto it; with Shift the
// current cell stays and the block's far corner moves. Ctrl+Home/End go to the first and last
// body cell, Home/End to the row's first and last, Page Up/Down by a screen of rows, Ctrl+A
// selects every body cell. Nothing ever moves into the header row or column.

#include <QtGlobal>
#include <qnamespace.h>
#include <optional>

struct GridBlock {
    qint64 row, col, rowSel, colSel;
    bool operator==(const GridBlock&) const = default;
};

struct GridBounds {
    qint64 rows, cols;       // headers included
    qint64 fixedRows, fixedCols;
    qint64 pageRows;         // body rows in view, at least 1
};

struct KeyStep {
    GridBlock block;
    // The cell that moved, to be kept in view.
    qint64 focusRow, focusCol;
};

// The step a key takes from block, or none when the key is not a navigation key.
std::optional<KeyStep> KeyNavigation(int key, Qt::KeyboardModifiers modifiers, const GridBlock& block, const GridBounds& bounds);

// A press with the left button and the drag that follows. A press on a column header selects
// the whole column and dragging along the headers adds whole columns; likewise rows; the
// top-left corner selects every body cell. A press on a body cell starts a block of cells.
class DragSelection {
public:
    GridBlock press(qint64 row, qint64 col, bool extend, const GridBlock& block, const GridBounds& bounds);
    // The block once the pointer is over (row, col), header cells included.
    GridBlock move(qint64 row, qint64 col, const GridBlock& block, const GridBounds& bounds) const;
    // Whether dragging changes the block's rows, its columns.
    bool movesRows() const { return kind_ == Kind::Cells || kind_ == Kind::Rows; }
    bool movesCols() const { return kind_ == Kind::Cells || kind_ == Kind::Columns; }

private:
    enum class Kind { Cells, Columns, Rows, All };
    Kind kind_ = Kind::Cells;
};
