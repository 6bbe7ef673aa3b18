#pragma once
// The cells behind one grid: the header row and column, and a body that is either a table
// (a loaded file, or cells written one by one) or a comparison result. Nothing is copied into
// per-cell objects; texts are looked up when asked for. Rows and columns count from 0, the
// header first, as the grid numbers them.

#include "core/Compare.h"
#include "core/NumberFormat.h"
#include "core/RowSet.h"
#include "core/Table.h"

#include <QtGlobal>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class GridStore {
public:
    GridStore();

    // Rows as the grid shows them: only the chosen ones while a row filter is on (showOnly).
    qint64 rows() const { return shown_ ? qint64(shown_->size()) + 1 : rows_; }
    qint64 cols() const { return cols_; }
    // Growing adds empty rows or columns; shrinking drops what lies past the new end.
    void setRows(qint64 rows);
    void setCols(qint64 cols);

    // limit: at most this many bytes of it (a cell can hold megabytes; a grid shows a few dozen).
    std::string text(qint64 row, qint64 col, std::size_t limit = SIZE_MAX) const;
    void setText(qint64 row, qint64 col, std::string text);

    // Shows a loaded file: line k in row k with its number in column 0, the column numbers in
    // the header row once the table is wider than one column.
    void showTable(tallir::Table table);
    // Shows a comparison: its grid shape, header numbers where it grew, a verdict per cell.
    void showComparison(tallir::CompareResult result, tallir::NumberSeparators separators,
                        std::vector<std::string> names = {}, qint64 lineOffset = 0);
    // Shows the loaded table's rows in the order of an alignment: body row k holds this side's
    // row of pair k - 1 (file1: File 1's side), with its own line number, or is a gap where that
    // side has none. Null: the table's rows in their order again.
    void showAligned(std::shared_ptr<const tallir::RowAlignment> alignment, bool file1);
    // A body row that stands for no row of this table (a gap of an alignment).
    bool gapRow(qint64 row) const { return row > 0 && row < rows() && tableRow(baseRow(row)) == tallir::NoRow; }
    // Shows only these rows (as the body counts them without the filter, from 0), each with its
    // own number: the other rows are hidden, not gone. Null: every row again.
    void showOnly(std::shared_ptr<const tallir::RowSet> rows);
    bool filtered() const { return shown_ != nullptr; }
    // A shown row's number without the filter, and back (-1 for a row the filter hides).
    qint64 baseRow(qint64 row) const;
    // nearest: the first shown row at or after it instead of -1 (the last shown row past the end).
    qint64 shownRow(qint64 baseRow, bool nearest = false) const;
    // The names of the value columns shown in the header row (none: numbers).
    const std::vector<std::string>& names() const { return names_; }
    // Added to a body row's number to give its line in the file (1 with a names line).
    qint64 lineOffset() const { return lineOffset_; }
    // The name of value column col (from 1); empty where it has none.
    std::string_view columnName(qint64 col) const;
    // A body cell as the file names it: "R<line> C<col>", then the column's name where it has one.
    std::string cellName(qint64 row, qint64 col) const;

    // The body as a table (row r, column c of the grid is cell r - 1, c - 1), edits included.
    // Empty for a comparison.
    const tallir::Table& table() const { return *table_; }
    // The same, for a comparison to hold on to: later edits go to a copy of it.
    std::shared_ptr<const tallir::Table> sharedTable() const { return table_; }
    const tallir::CompareResult* comparison() const { return comparison_ ? &result_ : nullptr; }
    const tallir::NumberSeparators& separators() const { return separators_; }
    // Counts every new content shown, so that what was derived from an older one can tell.
    std::uint64_t generation() const { return generation_; }
    // The grid's shape as the table gives it, whatever alignment it is shown in.
    tallir::GridShape shape() const { return {std::uint64_t(alignment_ ? unalignedRows_ : rows_), std::uint64_t(cols_)}; }
    bool aligned() const { return alignment_ != nullptr; }

    // A row appended from TAB-separated fields, and a row taken out.
    void addItem(std::string_view fields);
    void removeItem(qint64 row);

private:
    std::string headerText(qint64 row, qint64 col) const;
    // The row header of a comparison whose rows were aligned: each file's line, "+" or "-".
    std::string alignedRowHeader(qint64 row) const;
    // The table row (0-based) that body row row (without the filter) shows; NoRow for a gap.
    std::uint64_t tableRow(qint64 row) const;
    std::string verdictText(qint64 row, qint64 col) const;
    // The table to edit: a copy, while a comparison holds the one shown.
    tallir::Table& ownTable();

    qint64 rows_ = 2;
    qint64 cols_ = 2;
    std::shared_ptr<tallir::Table> table_ = std::make_shared<tallir::Table>();
    bool comparison_ = false;
    std::uint64_t generation_ = 0;
    tallir::CompareResult result_;
    tallir::NumberSeparators separators_;
    bool rowsNumbered_ = false;
    bool colsNumbered_ = false;
    std::map<std::pair<qint64, qint64>, std::string> headerEdits_;
    std::vector<std::string> names_;
    qint64 lineOffset_ = 0;
    std::shared_ptr<const tallir::RowAlignment> alignment_; // of a loaded table's rows
    bool alignedFile1_ = true;
    qint64 unalignedRows_ = 0; // rows_ before the alignment
    std::shared_ptr<const tallir::RowSet> shown_; // the row filter's rows
    std::map<std::pair<qint64, qint64>, std::string> comparisonEdits_;
};
