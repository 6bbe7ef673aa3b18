#include "modFlexGrid.h"

#include "GridWindows.h"
#include "MSFlexGrid.h"
#include "TextMeasure.h"
#include "frmGrid.h"
#include "core/Tokenize.h"

#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace modFlexGrid {

namespace {

// The lines of text wrapped at word boundaries to width (pixels).
QStringList WrappedLines(const QString& text, const QFont& font, double width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

double PixelsToTwips(MSFlexGrid* grid, double pixels)
{
    return pixels * grid->TwipsPerPixelX();
}

double CellWidthPixels(MSFlexGrid* grid, const TextMeasure& measure, std::string_view text, qint64 row, qint64 col)
{
    const double zeroZero = measure.width(std::string_view("00"));
    const double single = measure.width(text);
    // One line: nothing wraps, the text's own width counts. (The box's width is asked for only
    // where a space could wrap: asking costs more than measuring a number.)
    const bool oneWord = text.find(' ') == std::string_view::npos;
    double boxWidth = oneWord ? 0 : grid->ColWidth(col) / grid->TwipsPerPixelX();
    if (oneWord || single <= boxWidth) {
        std::string_view trimmed = text.substr(0, text.find_last_not_of(' ') + 1);
        if (text.find_first_not_of(' ') == std::string_view::npos)
            trimmed = {};
        return std::max(zeroZero, measure.width(trimmed));
    }
    // Wide enough for its widest word, then wider while the wrapped text is taller than the
    // row and still wraps.
    for (const auto& word : tallir::Tokenize(text, " "))
        boxWidth = std::max(boxWidth, measure.width(word));
    const QString qtext = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const double rowHeight = grid->RowHeight(row) / grid->TwipsPerPixelY();
    const double step = 30 / grid->TwipsPerPixelX();
    QStringList lines = WrappedLines(qtext, measure.font(), boxWidth);
    while (lines.size() > 1 && lines.size() * measure.lineHeight() > rowHeight) {
        boxWidth += step;
        lines = WrappedLines(qtext, measure.font(), boxWidth);
    }
    double width = zeroZero;
    for (QString line : lines) {
        while (line.endsWith(' '))
            line.chop(1);
        width = std::max(width, measure.width(line));
    }
    return width;
}

} // namespace

void MSFlexGrid_UniWidth(frmGrid& window)
{
    MSFlexGrid* g = window.MSFlexGrid1();
    bool redraw[3];
    for (int slot = 0; slot < 3; ++slot) {
        redraw[slot] = GridWindows()[slot]->MSFlexGrid1()->Redraw();
        GridWindows()[slot]->MSFlexGrid1()->SetRedraw(false);
    }
    for (qint64 c = 0; c < g->Cols(); ++c)
        for (int slot = 0; slot < 3; ++slot) {
            MSFlexGrid* other = GridWindows()[slot]->MSFlexGrid1();
            if (c < other->Cols())
                other->SetColWidth(c, g->ColWidth(c));
        }
    for (int slot = 0; slot < 3; ++slot)
        GridWindows()[slot]->MSFlexGrid1()->SetRedraw(redraw[slot]);
}

double MSFlexGrid_CellTextWidth(MSFlexGrid* grid, qint64 row, qint64 col)
{
    QFont font = grid->Model()->font();
    font.setBold(row < grid->FixedRows() || grid->Model()->formats().bold(row, col).value_or(false));
    const TextMeasure measure(font);
    return PixelsToTwips(grid, CellWidthPixels(grid, measure, grid->Store().text(row, col), row, col));
}

void MSFlexGrid_FitColWidth(MSFlexGrid* grid, int mode)
{
    const bool redraw = grid->Redraw();
    grid->SetRedraw(false);
    if (mode == 0 && grid->MouseCol() != grid->ColSel())
        grid->SetCol(grid->MouseCol());
    const qint64 first = grid->Col();
    const qint64 last = grid->ColSel();
    const qint64 step = last >= first ? 1 : -1;
    QFont plain = grid->Model()->font();
    QFont bold = plain;
    bold.setBold(true);
    const TextMeasure plainMeasure(plain);
    const TextMeasure boldMeasure(bold);
    const GridStore& store = grid->Store();
    const CellFormats& formats = grid->Model()->formats();
    for (qint64 c = first;; c += step) {
        double width = plainMeasure.width(std::string_view("00"));
        for (qint64 r = 0; r < grid->Rows(); ++r) {
            const bool isBold = r < grid->FixedRows() || formats.bold(r, c).value_or(false);
            const TextMeasure& measure = isBold ? boldMeasure : plainMeasure;
            if (r >= 1 && c >= 1 && !store.comparison()) {
                width = std::max(width, CellWidthPixels(grid, measure, store.table().cell(std::size_t(r - 1), std::size_t(c - 1)), r, c));
            } else {
                width = std::max(width, CellWidthPixels(grid, measure, store.text(r, c), r, c));
            }
        }
        grid->SetColWidth(c, PixelsToTwips(grid, width + 2 * plainMeasure.width(std::string_view("0"))));
        if (c == last)
            break;
    }
    grid->SetRedraw(redraw);
}

void MSFlexGrid_MarkFixed(MSFlexGrid* grid)
{
    const bool redraw = grid->Redraw();
    grid->SetRedraw(false);
    const qint64 row = grid->Row(), col = grid->Col(), rowSel = grid->RowSel(), colSel = grid->ColSel();
    const QColor fixed = grid->BackColorFixed();
    const QColor grey(MarkGrey, MarkGrey, MarkGrey);
    auto paint = [&](qint64 top, qint64 left, qint64 bottom, qint64 right, bool isBold, const QColor& color) {
        FormatBlock(grid, top, left, bottom, right, [&] {
            grid->SetCellFontBold(isBold);
            grid->SetCellBackColor(color);
        });
    };
    paint(0, 0, grid->FixedRows() - 1, grid->Cols() - 1, false, fixed);
    paint(0, 0, grid->Rows() - 1, grid->FixedCols() - 1, false, fixed);
    paint(0, std::min(col, colSel), grid->FixedRows() - 1, std::max(col, colSel), true, grey);
    paint(std::min(row, rowSel), 0, std::max(row, rowSel), grid->FixedCols() - 1, true, grey);
    grid->SetRow(row);
    grid->SetCol(col);
    grid->SetRowSel(rowSel);
    grid->SetColSel(colSel);
    grid->SetRedraw(redraw);
    // Only header cells changed: repainting the body as well would cost a screen per move.
    grid->RefreshHeaders();
}

} // namespace modFlexGrid
