#include "GridStore.h"

#include <algorithm>

GridStore::GridStore() = default;

void GridStore::setRows(qint64 rows)
{
    shown_.reset();
    rows = std::max<qint64>(rows, 0);
    if (rows < rows_) {
        ownTable().truncateRows(std::size_t(std::max<qint64>(rows - 1, 0)));
        std::erase_if(headerEdits_, [&](const auto& edit) { return edit.first.first >= rows; });
        std::erase_if(comparisonEdits_, [&](const auto& edit) { return edit.first.first >= rows; });
    }
    rows_ = rows;
}

void GridStore::setCols(qint64 cols)
{
    cols = std::max<qint64>(cols, 0);
    if (cols < cols_) {
        std::erase_if(headerEdits_, [&](const auto& edit) { return edit.first.second >= cols; });
        std::erase_if(comparisonEdits_, [&](const auto& edit) { return edit.first.second >= cols; });
    }
    cols_ = cols;
}

tallir::Table& GridStore::ownTable()
{
    if (table_.use_count() == 1)
        return *table_;
    const tallir::Table& shared = *table_;
    tallir::TableBuilder copy;
    if (shared.hasNames()) {
        copy.expectNamesLine();
        for (const std::string& name : shared.names())
            copy.addCell(name);
        copy.endRow();
    }
    for (std::size_t r = 0; r < shared.rowCount(); ++r) {
        tallir::Table::RowCursor row(shared, r);
        for (std::size_t c = 0; c < row.count(); ++c)
            copy.addCell(row.cell(c));
        copy.endRow();
    }
    table_ = std::make_shared<tallir::Table>(copy.finish());
    return *table_;
}

std::string GridStore::headerText(qint64 row, qint64 col) const
{
    if (const auto it = headerEdits_.find({row, col}); it != headerEdits_.end())
        return it->second;
    if (row == 0 && !columnName(col).empty())
        return std::string(columnName(col));
    if (row == 0 && col > 0 && colsNumbered_)
        return std::to_string(col);
    if (col == 0 && row > 0 && comparison_ && result_.options.alignment)
        return alignedRowHeader(row);
    if (col == 0 && row > 0 && alignment_) {
        const std::uint64_t r = tableRow(row);
        return r == tallir::NoRow ? std::string() : std::to_string(qint64(r) + 1 + lineOffset_);
    }
    if (col == 0 && row > 0 && rowsNumbered_)
        return std::to_string(row + lineOffset_);
    return {};
}

std::string GridStore::alignedRowHeader(qint64 row) const
{
    const std::uint64_t r1 = result_.file1Row(std::uint64_t(row - 1)), r2 = result_.file2Row(std::uint64_t(row - 1));
    auto line = [this](std::uint64_t r) { return std::to_string(qint64(r) + 1 + lineOffset_); };
    if (r1 == tallir::NoRow)
        return "+ " + line(r2);
    if (r2 == tallir::NoRow)
        return "\u2212 " + line(r1);
    return r1 == r2 ? line(r1) : line(r1) + "/" + line(r2);
}

void GridStore::showOnly(std::shared_ptr<const tallir::RowSet> rows)
{
    // The same content, other rows of it in view: what was derived from the content still holds.
    shown_ = std::move(rows);
}

qint64 GridStore::baseRow(qint64 row) const
{
    if (!shown_ || row < 1)
        return row;
    return std::uint64_t(row - 1) < shown_->size() ? qint64((*shown_)[std::uint64_t(row - 1)]) + 1 : rows_;
}

qint64 GridStore::shownRow(qint64 baseRow, bool nearest) const
{
    if (!shown_ || baseRow < 1)
        return baseRow;
    const std::uint64_t row = std::uint64_t(baseRow - 1), before = shown_->rank(row);
    if (shown_->contains(row))
        return qint64(before) + 1;
    if (!nearest || shown_->empty())
        return -1;
    return qint64(std::min(before + 1, shown_->size()));
}

std::uint64_t GridStore::tableRow(qint64 row) const
{
    if (!alignment_)
        return std::uint64_t(row - 1);
    if (row < 1 || std::uint64_t(row - 1) >= alignment_->pairs.size())
        return tallir::NoRow;
    const tallir::RowPair& pair = alignment_->pairs[std::size_t(row - 1)];
    return alignedFile1_ ? pair.row1 : pair.row2;
}

void GridStore::showAligned(std::shared_ptr<const tallir::RowAlignment> alignment, bool file1)
{
    if (comparison_ || (!alignment && !alignment_))
        return;
    shown_.reset();
    if (!alignment_)
        unalignedRows_ = rows_;
    rows_ = alignment ? qint64(alignment->pairs.size()) + 1 : unalignedRows_;
    alignment_ = std::move(alignment);
    alignedFile1_ = file1;
    ++generation_;
}

std::string_view GridStore::columnName(qint64 col) const
{
    return col > 0 && std::size_t(col - 1) < names_.size() ? std::string_view(names_[std::size_t(col - 1)]) : std::string_view();
}

std::string GridStore::cellName(qint64 row, qint64 col) const
{
    row = baseRow(row);
    std::string name = "R";
    if (comparison_ && result_.options.alignment) {
        name += alignedRowHeader(row);
    } else if (alignment_) {
        const std::uint64_t r = tableRow(row);
        name += r == tallir::NoRow ? std::string("-") : std::to_string(qint64(r) + 1 + lineOffset_);
    } else {
        name += std::to_string(row + lineOffset_);
    }
    name += " C" + std::to_string(col);
    if (const std::string_view column = columnName(col); !column.empty())
        name.append(" ").append(column);
    return name;
}

std::string GridStore::verdictText(qint64 row, qint64 col) const
{
    const auto& verdicts = result_.verdicts;
    const std::uint64_t r = std::uint64_t(row - 1);
    const std::uint64_t c = std::uint64_t(col - 1);
    const std::size_t at = verdicts.lowerBound(r, c);
    if (at == verdicts.size())
        return {};
    const tallir::Verdict cell = verdicts.cellOf(at);
    if (cell.row != r || cell.col != c)
        return {};
    // Only two numbers show their agreement, which may be worked out again.
    return tallir::VerdictText(cell.kind == tallir::VerdictKind::Digits ? verdicts[at] : cell, separators_);
}

std::string GridStore::text(qint64 row, qint64 col, std::size_t limit) const
{
    if (row < 0 || row >= rows())
        return {};
    row = baseRow(row);
    if (col < 0 || row >= rows_ || col >= cols_)
        return {};
    auto upTo = [limit](std::string text) {
        if (text.size() > limit)
            text.resize(limit);
        return text;
    };
    if (row == 0 || col == 0)
        return upTo(headerText(row, col));
    const auto r = std::size_t(row - 1);
    const auto c = std::size_t(col - 1);
    if (comparison_) {
        const auto edited = comparisonEdits_.find({row, col});
        return upTo(edited != comparisonEdits_.end() ? edited->second : verdictText(row, col));
    }
    if (alignment_) {
        const std::uint64_t shown = tableRow(row);
        return shown == tallir::NoRow ? std::string() : std::string(table_->cell(std::size_t(shown), c).substr(0, limit));
    }
    return std::string(table_->cell(r, c).substr(0, limit));
}

void GridStore::setText(qint64 row, qint64 col, std::string text)
{
    if (row < 0 || row >= rows())
        return;
    row = baseRow(row);
    if (col < 0 || row >= rows_ || col >= cols_)
        return;
    if (row == 0 || col == 0) {
        headerEdits_[{row, col}] = std::move(text);
        return;
    }
    if (comparison_) {
        comparisonEdits_[{row, col}] = std::move(text);
        return;
    }
    const std::uint64_t shown = tableRow(row);
    if (shown != tallir::NoRow) // a gap stands for no cell
        ownTable().setCell(std::size_t(shown), std::size_t(col - 1), std::move(text));
}

void GridStore::showTable(tallir::Table table)
{
    const auto shape = tallir::LoadedGridShape(table);
    colsNumbered_ = tallir::LoadedGridNumbersColumns(table);
    rowsNumbered_ = true;
    names_ = table.names();
    lineOffset_ = table.hasNames() ? 1 : 0;
    table_ = std::make_shared<tallir::Table>(std::move(table));
    comparison_ = false;
    alignment_.reset();
    shown_.reset();
    ++generation_;
    result_ = {};
    headerEdits_.clear();
    rows_ = qint64(shape.rows);
    cols_ = qint64(shape.cols);
}

void GridStore::showComparison(tallir::CompareResult result, tallir::NumberSeparators separators, std::vector<std::string> names,
                               qint64 lineOffset)
{
    names_ = std::move(names);
    lineOffset_ = lineOffset;
    rows_ = qint64(result.grid.rows);
    cols_ = qint64(result.grid.cols);
    rowsNumbered_ = result.rowsNumbered;
    colsNumbered_ = result.colsNumbered;
    result_ = std::move(result);
    separators_ = std::move(separators);
    comparison_ = true;
    alignment_.reset();
    shown_.reset();
    ++generation_;
    table_ = std::make_shared<tallir::Table>();
    headerEdits_.clear();
    comparisonEdits_.clear();
}

void GridStore::addItem(std::string_view fields)
{
    shown_.reset();
    showAligned(nullptr, true); // rows are added to the table as it is
    const qint64 row = rows_;
    ++rows_;
    qint64 col = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = fields.find('\t', start);
        const std::string_view field = fields.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (col < cols_ && !field.empty())
            setText(row, col, std::string(field));
        ++col;
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
}

void GridStore::removeItem(qint64 row)
{
    if (row < 1 || row >= rows())
        return;
    row = baseRow(row);
    shown_.reset();
    showAligned(nullptr, true);
    if (row >= rows_)
        return;
    // Rare: rebuild the body without the row. Header cells of later rows move up as well.
    tallir::TableBuilder builder;
    for (qint64 r = 1; r < rows_; ++r) {
        if (r == row)
            continue;
        for (qint64 c = 1; c < cols_; ++c)
            builder.addCell(text(r, c));
        builder.endRow();
    }
    std::map<std::pair<qint64, qint64>, std::string> headers;
    for (qint64 r = 0; r < rows_; ++r)
        if (r != row)
            if (auto t = headerText(r, 0); !t.empty() || headerEdits_.count({r, 0}))
                headers[{r < row ? r : r - 1, 0}] = std::move(t);
    for (const auto& [at, t] : headerEdits_)
        if (at.first == 0)
            headers[at] = t;
    table_ = std::make_shared<tallir::Table>(builder.finish());
    comparison_ = false;
    rowsNumbered_ = false;
    headerEdits_ = std::move(headers);
    --rows_;
}
