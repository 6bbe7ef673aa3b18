#pragma once
// Shows a GridStore to a QTableView without copying it. Grid row 0 and column 0 are the
// header row and column; the model's columns are the body's, and its rows a window of the
// body's rows from firstRow() on (grid row r is model row r - 1 - firstRow()), so that a view
// keeps per-row state for the rows it shows only, however long the table. The headers come
// from headerData.

#include "CellFormats.h"
#include "GridStore.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <functional>
#include <limits>
#include <optional>

struct GridColors {
    QColor back, fore, backFixed, foreFixed, backSel, foreSel;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // What a cell shows and its tool tip says: its text, or of a long one (a stray quote can
    // make a cell of megabytes) the first ShownBytes bytes and "…", so that painting and
    // measuring it cost the same as any other cell's.
    static constexpr std::size_t ShownBytes = 4096;
    static QString ShownCellText(const GridStore& store, qint64 row, qint64 col);

    GridStore& store() { return store_; }
    const GridStore& store() const { return store_; }
    CellFormats& formats() { return formats_; }
    const CellFormats& formats() const { return formats_; }
    GridColors& colors() { return colors_; }
    const GridColors& colors() const { return colors_; }
    void setFont(const QFont& font);
    const QFont& font() const { return font_; }
    // The selected block, drawn in the selection colours above any cell format.
    void setSelection(const CellRect& block) { selection_ = block; }
    // A background under the cell formats (a colour map); none where it gives nothing. Cells
    // formatted with their plain colour show it too.
    void setTint(std::function<std::optional<QColor>(qint64 row, qint64 col)> tint) { tint_ = std::move(tint); }
    // Body cells painted empty (their text, copies and tool tips unchanged); none by default.
    void setBlank(std::function<bool(qint64 row, qint64 col)> blank) { blank_ = std::move(blank); }
    // Where the tool tips of body cells come from (grid row and column); none by default.
    void setToolTips(std::function<QString(qint64 row, qint64 col)> source) { toolTips_ = std::move(source); }

    // Changes to the store or the formats are announced through these: a shape change resets
    // the model, anything else repaints the given area (or everything).
    void beginChange();
    void endChange();
    void cellsChanged();

    // Qt's views count in int; larger grids show their first 2^31 - 1 rows.
    static int Clamp(qint64 count);

    // Shows at most capacity body rows from body row firstRow (0-based) on.
    void setWindow(qint64 firstRow, int capacity);
    qint64 firstRow() const { return firstRow_; }
    // The grid row of a model row, and the model row of a grid row (-1 outside the window).
    qint64 gridRow(int modelRow) const { return firstRow_ + modelRow + 1; }
    int modelRow(qint64 gridRow) const;

private:
    QVariant cellRole(qint64 row, qint64 col, int role) const;

    GridStore store_;
    CellFormats formats_;
    GridColors colors_;
    CellRect selection_{1, 1, 1, 1};
    std::function<QString(qint64, qint64)> toolTips_;
    std::function<std::optional<QColor>(qint64, qint64)> tint_;
    std::function<bool(qint64, qint64)> blank_;
    QFont font_;
    QFont boldFont_;
    int changeDepth_ = 0;
    qint64 firstRow_ = 0;
    int capacity_ = std::numeric_limits<int>::max();
};
