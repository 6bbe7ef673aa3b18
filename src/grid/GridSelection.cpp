#include "GridSelection.h"

#include <algorithm>

std::optional<KeyStep> KeyNavigation(int key, Qt::KeyboardModifiers modifiers, const GridBlock& block, const GridBounds& bounds)
{
    const qint64 firstRow = bounds.fixedRows, firstCol = bounds.fixedCols;
    const qint64 lastRow = bounds.rows - 1, lastCol = bounds.cols - 1;
    if (lastRow < firstRow || lastCol < firstCol)
        return std::nullopt; // no body cell to go to
    const bool control = modifiers & Qt::ControlModifier;
    const bool extend = modifiers & Qt::ShiftModifier;

    if (control && key == Qt::Key_A)
        return KeyStep{{firstRow, firstCol, lastRow, lastCol}, firstRow, firstCol};

    // The moving cell: the far corner when extending, else the current cell.
    qint64 row = extend ? block.rowSel : block.row;
    qint64 col = extend ? block.colSel : block.col;
    const qint64 page = std::max<qint64>(1, bounds.pageRows);
    switch (key) {
    case Qt::Key_Up: row -= 1; break;
    case Qt::Key_Down: row += 1; break;
    case Qt::Key_Left: col -= 1; break;
    case Qt::Key_Right: col += 1; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home:
        col = firstCol;
        if (control)
            row = firstRow;
        break;
    case Qt::Key_End:
        col = lastCol;
        if (control)
            row = lastRow;
        break;
    default:
        return std::nullopt;
    }
    row = std::clamp(row, firstRow, lastRow);
    col = std::clamp(col, firstCol, lastCol);
    if (extend)
        return KeyStep{{std::clamp(block.row, firstRow, lastRow), std::clamp(block.col, firstCol, lastCol), row, col}, row, col};
    return KeyStep{{row, col, row, col}, row, col};
}

GridBlock DragSelection::press(qint64 row, qint64 col, bool extend, const GridBlock& block, const GridBounds& bounds)
{
    const qint64 lastRow = bounds.rows - 1;
    const qint64 lastCol = bounds.cols - 1;
    kind_ = row < bounds.fixedRows ? (col < bounds.fixedCols ? Kind::All : Kind::Columns)
                                   : (col < bounds.fixedCols ? Kind::Rows : Kind::Cells);
    GridBlock next = block;
    if (!extend) {
        next.row = row < bounds.fixedRows ? std::min(bounds.fixedRows, lastRow) : row;
        next.col = col < bounds.fixedCols ? std::min(bounds.fixedCols, lastCol) : col;
    }
    next.rowSel = row < bounds.fixedRows ? lastRow : row;
    next.colSel = col < bounds.fixedCols ? lastCol : col;
    return next;
}

GridBlock DragSelection::move(qint64 row, qint64 col, const GridBlock& block, const GridBounds& bounds) const
{
    GridBlock next = block;
    const qint64 dragRow = std::clamp(row, bounds.fixedRows, std::max(bounds.fixedRows, bounds.rows - 1));
    const qint64 dragCol = std::clamp(col, bounds.fixedCols, std::max(bounds.fixedCols, bounds.cols - 1));
    if (movesRows())
        next.rowSel = dragRow;
    if (movesCols())
        next.colSel = dragCol;
    return next;
}
