#include "GridModel.h"

#include <algorithm>
#include <limits>

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int GridModel::Clamp(qint64 count)
{
    return int(std::min<qint64>(std::max<qint64>(count, 0), std::numeric_limits<int>::max()));
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Clamp(std::min<qint64>(store_.rows() - 1 - firstRow_, capacity_));
}

int GridModel::modelRow(qint64 gridRow) const
{
    const qint64 row = gridRow - 1 - firstRow_;
    return row >= 0 && row < rowCount() ? int(row) : -1;
}

void GridModel::setWindow(qint64 firstRow, int capacity)
{
    firstRow = std::max<qint64>(firstRow, 0);
    capacity = std::max(capacity, 1);
    if (changeDepth_ > 0) {
        firstRow_ = firstRow;
        capacity_ = capacity;
        return;
    }
    const int before = rowCount();
    const int after = Clamp(std::min<qint64>(store_.rows() - 1 - firstRow, capacity));
    const bool moved = firstRow != firstRow_;
    if (after < before)
        beginRemoveRows({}, after, before - 1);
    else if (after > before)
        beginInsertRows({}, before, after - 1);
    firstRow_ = firstRow;
    capacity_ = capacity;
    if (after < before)
        endRemoveRows();
    else if (after > before)
        endInsertRows();
    // Every row kept now shows another body row.
    if (moved && after > 0) {
        const int cols = columnCount();
        if (cols > 0)
            emit dataChanged(index(0, 0), index(after - 1, cols - 1));
        emit headerDataChanged(Qt::Vertical, 0, after - 1);
    }
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Clamp(store_.cols() - 1);
}

void GridModel::setFont(const QFont& font)
{
    font_ = font;
    boldFont_ = font;
    boldFont_.setBold(true);
}

QString GridModel::ShownCellText(const GridStore& store, qint64 row, qint64 col)
{
    // One byte more than is shown tells whether there is more; the cut falls before a
    // character that the bytes kept would split.
    std::string text = store.text(row, col, ShownBytes + 1);
    if (text.size() <= ShownBytes)
        return QString::fromUtf8(text);
    std::size_t cut = ShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return QString::fromUtf8(text) + QChar(0x2026);
}

QVariant GridModel::cellRole(qint64 row, qint64 col, int role) const
{
    const bool fixed = row == 0 || col == 0;
    const bool selected = !fixed && selection_.contains(row, col);
    switch (role) {
    case Qt::DisplayRole:
        if (!fixed && blank_ && blank_(row, col))
            return QString();
        return ShownCellText(store_, row, col);
    case Qt::ToolTipRole:
        return ShownCellText(store_, row, col);
    case Qt::FontRole:
        return formats_.bold(row, col).value_or(false) ? boldFont_ : font_;
    case Qt::BackgroundRole: {
        if (selected)
            return colors_.backSel;
        const QColor plain = fixed ? colors_.backFixed : colors_.back;
        const auto formatted = formats_.backColor(row, col);
        if (formatted && *formatted != plain)
            return *formatted;
        if (tint_)
            if (const auto tinted = tint_(row, col))
                return *tinted;
        return plain;
    }
    case Qt::ForegroundRole:
        if (selected)
            return colors_.foreSel;
        return formats_.foreColor(row, col).value_or(fixed ? colors_.foreFixed : colors_.fore);
    case Qt::TextAlignmentRole:
        return fixed ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    // A cell's whole text, unless the grid explains its cells otherwise.
    if (role == Qt::ToolTipRole && toolTips_)
        return toolTips_(gridRow(index.row()), index.column() + 1);
    return cellRole(gridRow(index.row()), index.column() + 1, role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::ToolTipRole) // a named column tells its number
        return orientation == Qt::Horizontal && std::size_t(section) < store_.names().size() ? QVariant(QStringLiteral("column %1").arg(section + 1))
                                                                                       : QVariant();
    return orientation == Qt::Horizontal ? cellRole(0, section + 1, role) : cellRole(gridRow(section), 0, role);
}

void GridModel::beginChange()
{
    if (changeDepth_++ == 0)
        beginResetModel();
}

void GridModel::endChange()
{
    if (--changeDepth_ == 0)
        endResetModel();
}

void GridModel::cellsChanged()
{
    if (changeDepth_ > 0)
        return;
    const int rows = rowCount();
    const int cols = columnCount();
    if (rows > 0 && cols > 0)
        emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
    if (cols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
    if (rows > 0)
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
}
