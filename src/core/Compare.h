#pragma once
// Cell-by-cell comparison of two tables over the area both cover. The result is sparse: only
// the cells with a verdict are kept, in reading order; their texts are made on request.

#include "Figures.h"
#include "NumericText.h"
#include "NumberFormat.h"
#include "RowAlignment.h"
#include "Table.h"
#include "Tolerance.h"
#include "VerdictList.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallir {

struct CompareOptions {
    bool precisionSame = false; // the precision rule: agreement above precisionLog shows "S"
    double precisionLog = 10;
    // Also "S" when two different numbers lie at most this far apart,
    std::optional<double> absoluteTolerance;
    // or when |x2 - x1| is at most this share of the reference (with |x1|, against a 0 in File 1
    // only the absolute tolerance can make a pair "S").
    std::optional<double> relativeTolerance;
    RelativeTo relativeTo = RelativeTo::File1;
    // Columns with tolerances of their own, replacing the global ones there.
    std::vector<ColumnTolerance> columnTolerances;
    // Value columns (0-based, first and last inclusive) that are not compared: no verdict,
    // not counted.
    struct ColumnRange {
        std::uint64_t first, last;
        bool operator==(const ColumnRange&) const = default;
    };
    std::vector<ColumnRange> ignoredColumns;
    // What else reads as a number: NaN and infinities, D exponents (off: the decimal grammar).
    NumberGrammar grammar;
    unsigned threads = 0; // 0: as many as the machine has
    // Set from another thread to stop a comparison part way; its result is then incomplete
    // and says so.
    const std::atomic<bool>* cancel = nullptr;
    // Columns matched by name: for each value column of File 1 its column in File 2, or -1
    // when File 2 has none. Empty: by position. With a map, the compared area is File 1's width.
    std::vector<std::int64_t> columnMap;
    // Rows paired by an alignment rather than by position: the compared rows are its pairs, and
    // a pair with a row on one side only has no verdicts. Null: by position.
    std::shared_ptr<const RowAlignment> alignment;
    // Only the verdicts' kinds are asked for (an exit status): two different numbers are not
    // given their agreement (left at 0) unless the precision rule needs it to decide.
    bool kindsOnly = false;
};

// Rows and columns of a grid showing a loaded table, the header row and column included: one
// row per line, and at least one data column.
struct GridShape {
    std::uint64_t rows;
    std::uint64_t cols;
};
GridShape LoadedGridShape(const Table& table);
// Whether the loaded grid's header row carries column numbers: only once it had to widen.
bool LoadedGridNumbersColumns(const Table& table);

struct CompareResult {
    std::uint64_t comparedRows = 0; // data rows and value columns compared
    std::uint64_t comparedCols = 0;
    GridShape grid{2, 2};           // the Compare grid: at least 2 x 2, header included
    bool rowsNumbered = false;      // header cells carry numbers only where the grid grew
    bool colsNumbered = false;
    VerdictList verdicts;           // every cell with a verdict, in reading order
    CompareOptions options;         // the options it was made with
    bool cancelled = false;         // stopped part way: the verdicts are not all there
    Figures figures;                // counts and extremes of the verdicts, gathered on the way
    std::vector<Figures> columnFigures; // the same per compared column (empty for very wide tables)

    // The column of File 2 that a compared column was compared with.
    std::uint64_t file2Column(std::uint64_t col) const
    {
        return col < options.columnMap.size() ? std::uint64_t(options.columnMap[col]) : col;
    }

    std::uint64_t differing() const { return verdicts.size(); }

    // The row of each table that a compared row stands for; NoRow where an alignment left that
    // side empty.
    std::uint64_t file1Row(std::uint64_t row) const { return options.alignment ? options.alignment->pairs[row].row1 : row; }
    std::uint64_t file2Row(std::uint64_t row) const { return options.alignment ? options.alignment->pairs[row].row2 : row; }
};

CompareResult CompareTables(const Table& file1, const Table& file2, const CompareOptions& options = {});

// File 2's columns for columns of File 1 (such as key columns): those matched with them by name
// where a column map says so, else the same.
std::vector<std::uint64_t> File2Columns(const CompareOptions& options, const std::vector<std::uint64_t>& file1Columns);
// The same for tables shown in grids of the given shapes (a grid may be larger than its table,
// like the blank grid of a window that loaded nothing).
CompareResult CompareTables(const Table& file1, GridShape shape1, const Table& file2, GridShape shape2,
                            const CompareOptions& options = {});
// The same for tables the result may hold on to: stretches where every cell differs then keep
// their verdicts' kinds only, and agreements are worked out again from the tables when asked for.
CompareResult CompareTables(std::shared_ptr<const Table> file1, GridShape shape1, std::shared_ptr<const Table> file2,
                            GridShape shape2, const CompareOptions& options = {});

// Whether a differing cell is beyond the tolerance: every verdict but "S", whichever rule
// (precision, absolute or relative tolerance) made it "S".
inline bool BeyondTolerance(const Verdict& verdict) { return verdict.kind != VerdictKind::Same; }
// Whether any tolerance is in force, so that "S" can occur at all.
inline bool AnyTolerance(const CompareOptions& options)
{
    return options.precisionSame || options.absoluteTolerance || options.relativeTolerance || !options.columnTolerances.empty();
}
// The rule in force in one line, such as "S when |x2 − x1| ≤ 1e-09 × max(|x1|, |x2|); in T
// |x2 − x1| ≤ 0.01 or ≤ 1e-09 × max(|x1|, |x2|)"; empty when no tolerance is. names: the value
// columns' names, where the tables have them.
std::string DescribeTolerance(const CompareOptions& options, const std::vector<std::string>& names = {});

// How the columns of two tables with names lines pair up. A name found once in each file pairs
// its columns wherever they stand; the columns left over (names repeated, missing or found in
// one file only) pair by position among themselves; the surplus of either file is compared
// with nothing. Identical names lines pair every column with itself.
struct ColumnMatch {
    std::vector<std::int64_t> file2Column; // per File 1 column, -1 for none
    std::vector<std::size_t> onlyIn1;       // File 1 columns compared with nothing
    std::vector<std::size_t> onlyIn2;
    bool positional = true;                 // every column with the one at its place
};
ColumnMatch MatchColumns(const std::vector<std::string>& names1, std::size_t cols1, const std::vector<std::string>& names2,
                         std::size_t cols2);

// Whether two tables disagree as a script is told (exit status 1 rather than 0): a cell beyond
// the tolerance, a row or a column in one file only, or tables of different numbers of rows or
// columns (shapes as LoadedGridShape gives them). Cells regarded as the same never disagree.
bool Disagrees(std::uint64_t beyondTolerance, const CompareOptions& options, const ColumnMatch& columns, GridShape table1,
               GridShape table2);

// The verdict of one cell pair in a value column (whose tolerances hold), or nothing when they
// agree. values, when given, receives both numbers of a numeric verdict.
std::optional<Verdict> CompareCells(std::string_view a, std::string_view b, const CompareOptions& options,
                                    std::uint64_t column, CellValues* values = nullptr);
// The same for two texts known to differ.
std::optional<Verdict> CompareDifferentCells(std::string_view a, std::string_view b, const CompareOptions& options,
                                             std::uint64_t column, CellValues* values = nullptr);

// Why a cell pair has its verdict, for a person looking at one cell: both texts, both values
// when numeric, the absolute and relative difference, the agreement in full and the reason,
// one per line.
std::string ExplainCells(std::string_view a, std::string_view b, const CompareOptions& options, std::uint64_t column);

// "S", "D" or the agreement in the "Standard" format.
std::string VerdictText(const Verdict& verdict, const NumberSeparators& separators = {});

// The closing message: caption1 " != " caption2, "at N cells", "in smaller rows and cols."
// joined by CR LF (without the count line when nothing differs).
std::string ClosingMessage(const std::string& caption1, const std::string& caption2, std::uint64_t differing);
// What follows it under a tolerance, whose count takes in the cells regarded as the same:
// "within the tolerance: S regarded as the same, B beyond".
std::string WithinToleranceText(std::uint64_t same, std::uint64_t beyond);

} // namespace tallir
