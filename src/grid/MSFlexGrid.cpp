#include "MSFlexGrid.h"

#include "DroppedFiles.h"
#include "GridDelegate.h"
#include "GridPointer.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace {

// Grid lines in the grid's own grey, whatever the desktop style draws.
class GridStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* data) const override
    {
        if (hint == SH_Table_GridLineColor)
            return int(MSFlexGrid::GridColor().rgb());
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The desktop's own font: the grids read like the rest of the desktop.
QFont GridFont()
{
    return QApplication::font();
}

} // namespace

MSFlexGrid::MSFlexGrid(QWidget* parent)
    : QTableView(parent)
    , model_(new GridModel(this))
{
    setObjectName(QStringLiteral("MSFlexGrid1"));
    auto* style = new GridStyle;
    style->setParent(this);
    setStyle(style);
    const QPalette palette = QApplication::palette();
    model_->colors() = {palette.color(QPalette::Base), palette.color(QPalette::Text), palette.color(QPalette::Button),
                        palette.color(QPalette::ButtonText), palette.color(QPalette::Highlight),
                        palette.color(QPalette::HighlightedText)};
    model_->setFont(GridFont());
    setFont(GridFont());
    setModel(model_);
    setItemDelegate(new GridDelegate(this));

    QPalette empty = viewport()->palette();
    empty.setColor(QPalette::Base, BackColorBkg());
    viewport()->setPalette(empty);

    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    // The corner takes presses for the grid: a press selects every body cell, a double-click
    // fits the selected columns.
    setCornerButtonEnabled(true);
    setTabKeyNavigation(false);
    const int rowHeight = QFontMetrics(GridFont()).height() + 6;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(64);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setFixedHeight(rowHeight);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setFixedWidth(64);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()})
        header->viewport()->setMouseTracking(true);
    viewport()->setMouseTracking(true);
    pointer_ = new GridPointer(this);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!adjusting_)
            emit Scroll();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
}

double MSFlexGrid::TwipsPerPixelX() const
{
    return 1440.0 / std::max(1, logicalDpiX());
}

double MSFlexGrid::TwipsPerPixelY() const
{
    return 1440.0 / std::max(1, logicalDpiY());
}

void MSFlexGrid::applyShape()
{
    row_ = std::clamp<qint64>(row_, 0, std::max<qint64>(Rows() - 1, 0));
    col_ = std::clamp<qint64>(col_, 0, std::max<qint64>(Cols() - 1, 0));
    rowSel_ = std::clamp<qint64>(rowSel_, 0, std::max<qint64>(Rows() - 1, 0));
    colSel_ = std::clamp<qint64>(colSel_, 0, std::max<qint64>(Cols() - 1, 0));
    model_->setSelection(SelectedBlock());
}

void MSFlexGrid::SetRows(qint64 rows)
{
    model_->beginChange();
    model_->store().setRows(std::max<qint64>(rows, 1));
    applyShape();
    model_->endChange();
}

void MSFlexGrid::SetCols(qint64 cols)
{
    model_->beginChange();
    model_->store().setCols(std::max<qint64>(cols, 1));
    applyShape();
    model_->endChange();
}

void MSFlexGrid::ShowTable(tallir::Table table)
{
    model_->beginChange();
    model_->store().showTable(std::move(table));
    applyShape();
    model_->endChange();
}

void MSFlexGrid::ShowAligned(std::shared_ptr<const tallir::RowAlignment> alignment, bool file1)
{
    model_->beginChange();
    model_->store().showAligned(std::move(alignment), file1);
    applyShape();
    model_->endChange();
}

void MSFlexGrid::ShowOnly(std::shared_ptr<const tallir::RowSet> rows)
{
    model_->beginChange();
    model_->store().showOnly(std::move(rows));
    applyShape();
    model_->endChange();
}

void MSFlexGrid::ShowComparison(tallir::CompareResult result, tallir::NumberSeparators separators,
                                std::vector<std::string> names, qint64 lineOffset)
{
    model_->beginChange();
    model_->store().showComparison(std::move(result), std::move(separators), std::move(names), lineOffset);
    applyShape();
    model_->endChange();
}

void MSFlexGrid::selectionChanged()
{
    model_->setSelection(SelectedBlock());
    if (redraw_)
        viewport()->update();
}

bool MSFlexGrid::SetRow(qint64 row)
{
    if (row < 0 || row >= Rows())
        return false;
    row_ = row;
    selectionChanged();
    return true;
}

bool MSFlexGrid::SetCol(qint64 col)
{
    if (col < 0 || col >= Cols())
        return false;
    col_ = col;
    selectionChanged();
    return true;
}

bool MSFlexGrid::SetRowSel(qint64 row)
{
    if (row < 0 || row >= Rows())
        return false;
    rowSel_ = row;
    selectionChanged();
    return true;
}

bool MSFlexGrid::SetColSel(qint64 col)
{
    if (col < 0 || col >= Cols())
        return false;
    colSel_ = col;
    selectionChanged();
    return true;
}

qint64 MSFlexGrid::TopRow() const
{
    return FixedRows() + verticalScrollBar()->value();
}

qint64 MSFlexGrid::LeftCol() const
{
    return FixedCols() + horizontalScrollBar()->value();
}

bool MSFlexGrid::SetTopRow(qint64 row)
{
    if (row < FixedRows() || row >= Rows())
        return false;
    verticalScrollBar()->setValue(GridModel::Clamp(row - FixedRows()));
    return true;
}

bool MSFlexGrid::SetLeftCol(qint64 col)
{
    if (col < FixedCols() || col >= Cols())
        return false;
    horizontalScrollBar()->setValue(GridModel::Clamp(col - FixedCols()));
    return true;
}

QString MSFlexGrid::TextMatrix(qint64 row, qint64 col) const
{
    return QString::fromUtf8(model_->store().text(row, col));
}

void MSFlexGrid::SetTextMatrix(qint64 row, qint64 col, const QString& text)
{
    model_->store().setText(row, col, text.toStdString());
    if (!redraw_)
        return;
    if (row == 0 && col > 0)
        emit model_->headerDataChanged(Qt::Horizontal, int(col - 1), int(col - 1));
    else if (col == 0 && row > 0)
        emit model_->headerDataChanged(Qt::Vertical, int(row - 1), int(row - 1));
    else if (row > 0 && col > 0)
        emit model_->dataChanged(model_->index(int(row - 1), int(col - 1)), model_->index(int(row - 1), int(col - 1)));
}

double MSFlexGrid::ColWidth(qint64 col) const
{
    const int pixels = col == 0 ? verticalHeader()->width() : columnWidth(int(col - 1));
    return pixels * TwipsPerPixelX();
}

void MSFlexGrid::SetColWidth(qint64 col, double twips)
{
    const int pixels = std::max(0, int(std::lround(twips / TwipsPerPixelX())));
    if (col == 0)
        verticalHeader()->setFixedWidth(pixels);
    else if (col > 0 && col < Cols())
        setColumnWidth(int(col - 1), pixels);
}

double MSFlexGrid::RowHeight(qint64 row) const
{
    const int pixels = row == 0 ? horizontalHeader()->height() : verticalHeader()->defaultSectionSize();
    return pixels * TwipsPerPixelY();
}

CellRect MSFlexGrid::SelectedBlock() const
{
    return {std::min(row_, rowSel_), std::min(col_, colSel_), std::max(row_, rowSel_), std::max(col_, colSel_)};
}

CellRect MSFlexGrid::formatTarget() const
{
    if (fillStyle_ == 1)
        return SelectedBlock();
    return {row_, col_, row_, col_};
}

void MSFlexGrid::formatsChanged()
{
    if (redraw_)
        model_->cellsChanged();
}

bool MSFlexGrid::CellFontBold() const
{
    return model_->formats().bold(row_, col_).value_or(false);
}

void MSFlexGrid::SetCellFontBold(bool bold)
{
    model_->formats().setBold(formatTarget(), bold);
    formatsChanged();
}

void MSFlexGrid::SetCellBackColor(const QColor& color)
{
    // Header cells and body cells have different plain colours: a block reaching into both is
    // set as its two parts.
    const CellRect target = formatTarget();
    const auto& colors = model_->colors();
    CellFormats& formats = model_->formats();
    if (target.top == 0 || target.left == 0) {
        if (target.top == 0)
            formats.setBackColor({0, target.left, 0, target.right}, color, colors.backFixed);
        if (target.left == 0)
            formats.setBackColor({target.top, 0, target.bottom, 0}, color, colors.backFixed);
        if (target.bottom >= 1 && target.right >= 1)
            formats.setBackColor({std::max<qint64>(target.top, 1), std::max<qint64>(target.left, 1), target.bottom, target.right},
                                 color, colors.back);
    } else {
        formats.setBackColor(target, color, colors.back);
    }
    formatsChanged();
}

void MSFlexGrid::SetCellForeColor(const QColor& color)
{
    const CellRect target = formatTarget();
    const bool fixed = target.top == 0 || target.left == 0;
    model_->formats().setForeColor(target, color, fixed ? model_->colors().foreFixed : model_->colors().fore);
    formatsChanged();
}

void MSFlexGrid::SetRedraw(bool redraw)
{
    if (redraw == redraw_)
        return;
    redraw_ = redraw;
    // A header that shows its changes finds each column's place anew after every resize, which
    // makes sizing many columns quadratic: it shows them once, when drawing resumes.
    horizontalHeader()->setUpdatesEnabled(redraw);
    if (redraw) {
        viewport()->update();
        horizontalHeader()->viewport()->update();
        verticalHeader()->viewport()->update();
    }
}

void MSFlexGrid::SetWordWrap(bool wrap)
{
    wordWrap_ = wrap;
    setWordWrap(wrap);
}

void MSFlexGrid::SetScrollTrack(bool track)
{
    scrollTrack_ = track;
    verticalScrollBar()->setTracking(track);
    horizontalScrollBar()->setTracking(track);
}

void MSFlexGrid::SetAllowUserResizing(int mode)
{
    allowUserResizing_ = mode;
    const bool columns = mode == 1 || mode == 3;
    horizontalHeader()->setSectionResizeMode(columns ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void MSFlexGrid::SetOLEDropMode(int mode)
{
    oleDropMode_ = mode;
    setAcceptDrops(mode == 1);
    viewport()->setAcceptDrops(mode == 1);
}

void MSFlexGrid::AddItem(const QString& fields)
{
    model_->beginChange();
    model_->store().addItem(fields.toStdString());
    applyShape();
    model_->endChange();
}

void MSFlexGrid::RemoveItem(qint64 row)
{
    model_->beginChange();
    model_->store().removeItem(row);
    applyShape();
    model_->endChange();
}

void MSFlexGrid::RefreshHeaders()
{
    horizontalHeader()->viewport()->repaint();
    verticalHeader()->viewport()->repaint();
}

QString MSFlexGrid::SelectedText() const
{
    std::string text;
    const CellRect block = SelectedBlock();
    for (qint64 r = block.top; r <= block.bottom; ++r) {
        for (qint64 c = block.left; c <= block.right; ++c) {
            text += model_->store().text(r, c);
            text += c < block.right ? '\t' : '\n';
        }
    }
    return QString::fromStdString(text);
}

void MSFlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(SelectedText());
        return;
    }
    const auto step = KeyNavigation(event->key(), event->modifiers(), Block(), Bounds());
    if (!step) {
        event->ignore(); // not the view's own cursor keys: shortcuts and focus moves pass on
        return;
    }
    SetBlock(step->block);
    emit KeySelection();
    EnsureVisible(step->focusRow, step->focusCol);
}

void MSFlexGrid::SetEmptyHint(const QString& hint)
{
    emptyHint_ = hint;
    viewport()->update();
}

void MSFlexGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!ShowsEmptyHint())
        return;
    QPainter painter(viewport());
    painter.setPen(QColor(240, 240, 240));
    painter.setFont(font());
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, emptyHint_);
}

void MSFlexGrid::Refresh()
{
    model_->cellsChanged();
    viewport()->repaint();
}

GridBounds MSFlexGrid::Bounds() const
{
    return {Rows(), Cols(), FixedRows(), FixedCols(), PageRows()};
}

void MSFlexGrid::SetBlock(const GridBlock& block)
{
    row_ = block.row;
    col_ = block.col;
    rowSel_ = block.rowSel;
    colSel_ = block.colSel;
    selectionChanged();
}

qint64 MSFlexGrid::PageRows() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

void MSFlexGrid::ScrollTo(qint64 row, qint64 col, ScrollHint hint)
{
    if (row < FixedRows() || col < FixedCols() || row >= Rows() || col >= Cols())
        return;
    const qint64 top = TopRow();
    const qint64 page = PageRows();
    qint64 wanted = top;
    switch (hint) {
    case QAbstractItemView::EnsureVisible:
        wanted = row < top ? row : row >= top + page ? row - page + 1 : top;
        break;
    case QAbstractItemView::PositionAtTop:
        wanted = row;
        break;
    case QAbstractItemView::PositionAtBottom:
        wanted = row - page + 1;
        break;
    case QAbstractItemView::PositionAtCenter:
        wanted = row - page / 2;
        break;
    }
    fitScrollRange(); // the viewport may have changed since Qt last laid the view out
    verticalScrollBar()->setValue(GridModel::Clamp(wanted - FixedRows()));
    // The column: from its own left edge, or from the leftmost column that leaves it whole.
    QHeaderView* header = horizontalHeader();
    const int section = GridModel::Clamp(col - 1);
    const int left = header->sectionViewportPosition(section);
    if (left >= 0 && left + header->sectionSize(section) <= viewport()->width())
        return;
    qint64 first = col;
    if (left >= 0)
        for (int width = header->sectionSize(section); first - 1 > FixedCols();) {
            width += header->sectionSize(GridModel::Clamp(first - 2));
            if (width > viewport()->width())
                break;
            --first;
        }
    SetLeftCol(first);
}

void MSFlexGrid::fitScrollRange()
{
    QScrollBar* bar = verticalScrollBar();
    const qint64 page = PageRows();
    bar->setRange(0, GridModel::Clamp(Rows() - FixedRows() - page));
    bar->setSingleStep(1);
    bar->setPageStep(GridModel::Clamp(page));
}

void MSFlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.isValid() && index.model() == model_)
        ScrollTo(model_->gridRow(index.row()), index.column() + 1, hint);
}

qint64 MSFlexGrid::RowAt(int y) const
{
    const int shown = rowAt(y);
    return shown < 0 ? -1 : model_->gridRow(shown);
}

void MSFlexGrid::syncWindow()
{
    // A screenful at least, and enough that a grid not yet shown has rows to ask about.
    constexpr int SmallestWindow = 256;
    model_->setWindow(verticalScrollBar()->value(), std::max(SmallestWindow, GridModel::Clamp(PageRows() + 2)));
}

void MSFlexGrid::updateGeometries()
{
    // Qt sizes the scroll bar to the rows it is shown; it must span every row of the grid.
    QScrollBar* bar = verticalScrollBar();
    const int top = bar->value();
    const bool nested = adjusting_;
    adjusting_ = true;
    QTableView::updateGeometries();
    verticalHeader()->setOffset(0); // Qt moved it to its scroll bar's row
    fitScrollRange();
    bar->setValue(top);
    adjusting_ = nested;
    if (!nested)
        syncWindow();
}

void MSFlexGrid::scrollContentsBy(int dx, int dy)
{
    // The rows are not moved under the view: the view is shown others.
    if (dy != 0 && !adjusting_) {
        syncWindow();
        viewport()->update();
        verticalHeader()->viewport()->update();
    }
    if (dx != 0)
        QTableView::scrollContentsBy(dx, 0);
}

void MSFlexGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (oleDropMode_ == 1 && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MSFlexGrid::dragMoveEvent(QDragMoveEvent* event)
{
    if (oleDropMode_ == 1 && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MSFlexGrid::dropEvent(QDropEvent* event)
{
    if (oleDropMode_ != 1 || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    const QStringList files = DroppedFiles(event->mimeData());
    event->acceptProposedAction();
    if (!files.isEmpty())
        emit OLEDragDrop(files);
}
