#include "GridDelegate.h"

#include "MSFlexGrid.h"
#include "core/NumericText.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

GridDelegate::GridDelegate(MSFlexGrid* grid)
    : QStyledItemDelegate(grid)
    , grid_(grid)
{
}

QString GridDelegate::ShownText(const QString& text, const QFontMetrics& metrics, int available)
{
    if (text.isEmpty() || metrics.horizontalAdvance(text) <= available)
        return text;
    if (!tallir::IsNumeric(text.toStdString()))
        return text;
    const int hash = std::max(1, metrics.horizontalAdvance(QLatin1Char('#')));
    return QString(std::max(1, available / hash), QLatin1Char('#'));
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.state &= ~QStyle::State_HasFocus;
    QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    const int available = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget).width() - 2 * margin;
    cell.text = ShownText(cell.text, cell.fontMetrics, available);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
    // A row the other file has and this one lacks: hatched, so that it reads as no row at all.
    const qint64 row = grid_->Model()->gridRow(index.row());
    if (grid_->Store().gapRow(row))
        painter->fillRect(cell.rect, QBrush(cell.palette.color(QPalette::Mid), Qt::BDiagPattern));

    const bool current = row == grid_->Row() && index.column() + 1 == grid_->Col();
    if (current && grid_->hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(cell);
        focus.rect = cell.rect.adjusted(0, 0, -1, -1);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
        focus.backgroundColor = cell.backgroundBrush.color();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, cell.widget);
    }
}
