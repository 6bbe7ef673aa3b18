#include "GridPointer.h"

#include "MSFlexGrid.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace {

int ButtonOf(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

int ShiftOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) | (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

GridPointer::GridPointer(MSFlexGrid* grid)
    : QObject(grid)
    , grid_(grid)
    , corner_(grid->findChild<QAbstractButton*>())
    , autoScrollTimer_(new QTimer(this))
{
    autoScrollTimer_->setInterval(40);
    connect(autoScrollTimer_, &QTimer::timeout, this, &GridPointer::autoScroll);
    for (QWidget* watched : {grid->viewport(), grid->horizontalHeader()->viewport(), grid->verticalHeader()->viewport(), corner_})
        if (watched)
            watched->installEventFilter(this);
}

std::pair<qint64, qint64> GridPointer::cellAt(const QPoint& position) const
{
    // Header areas are the fixed row and column; the body is offset by the header views.
    const QPoint inViewport = grid_->viewport()->mapFrom(grid_, position);
    qint64 row = 0;
    qint64 col = 0;
    if (inViewport.y() >= 0) {
        const qint64 r = grid_->RowAt(inViewport.y());
        row = r < 0 ? grid_->Rows() - 1 : r;
    }
    if (inViewport.x() >= 0) {
        const int c = grid_->columnAt(inViewport.x());
        col = c < 0 ? grid_->Cols() - 1 : c + 1;
    }
    return {row, col};
}

std::pair<qint64, qint64> GridPointer::cellInBody(const QPoint& position) const
{
    const QRect body = grid_->viewport()->rect();
    const QPoint inViewport = grid_->viewport()->mapFrom(grid_, position);
    const QPoint inside(std::clamp(inViewport.x(), 0, std::max(0, body.width() - 1)),
                        std::clamp(inViewport.y(), 0, std::max(0, body.height() - 1)));
    return cellAt(grid_->viewport()->mapTo(grid_, inside));
}

bool GridPointer::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseMove)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const bool columnHeader = watched == grid_->horizontalHeader()->viewport();
    // Dragging a column border is the header's own business and leaves the block alone.
    if (type == QEvent::MouseButtonPress && columnHeader && mouse->button() == Qt::LeftButton
        && onColumnBorder(mouse->position().toPoint()))
        resizing_ = true;
    if (resizing_) {
        if (type == QEvent::MouseButtonRelease)
            resizing_ = false;
        return false;
    }
    handle(mouse, type);
    // Moves still reach the headers, which set their cursor over a border.
    return watched == grid_->viewport() || type != QEvent::MouseMove;
}

void GridPointer::handle(QMouseEvent* event, QEvent::Type type)
{
    const QPoint position = grid_->mapFromGlobal(event->globalPosition().toPoint());
    const auto [row, col] = cellAt(position);
    grid_->SetMouseCell(row, col);
    const double x = position.x() * grid_->TwipsPerPixelX();
    const double y = position.y() * grid_->TwipsPerPixelY();
    const int shift = ShiftOf(event->modifiers());
    switch (type) {
    case QEvent::MouseButtonPress: {
        grid_->setFocus(Qt::MouseFocusReason);
        const int button = ButtonOf(event->button());
        if (button == 1) {
            grid_->SetBlock(drag_.press(row, col, shift & 1, grid_->Block(), grid_->Bounds()));
            dragging_ = true;
            dragPosition_ = position;
        }
        emit grid_->MouseDown(button, shift, x, y);
        break;
    }
    case QEvent::MouseMove:
        if (dragging_ && (event->buttons() & Qt::LeftButton))
            drag(position);
        emit grid_->MouseMove(ButtonOf(event->buttons()), shift, x, y);
        break;
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        autoScrollTimer_->stop();
        emit grid_->MouseUp(ButtonOf(event->button()), shift, x, y);
        break;
    case QEvent::MouseButtonDblClick:
        emit grid_->DblClick();
        break;
    default:
        break;
    }
}

void GridPointer::drag(const QPoint& position)
{
    dragPosition_ = position;
    // Beyond the body's edge the block reaches the last cell in view, and the grid scrolls on
    // while the pointer stays out there.
    const auto [row, col] = cellInBody(position);
    const GridBlock now = grid_->Block();
    const GridBlock next = drag_.move(row, col, now, grid_->Bounds());
    if (!(next == now))
        grid_->SetBlock(next);
    if (grid_->viewport()->rect().contains(grid_->viewport()->mapFrom(grid_, position)))
        autoScrollTimer_->stop();
    else if (!autoScrollTimer_->isActive())
        autoScrollTimer_->start();
}

void GridPointer::autoScroll()
{
    if (!dragging_ || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        autoScrollTimer_->stop();
        return;
    }
    const QRect body = grid_->viewport()->rect();
    const QPoint inViewport = grid_->viewport()->mapFrom(grid_, dragPosition_);
    auto step = [](QScrollBar* bar, int by) { bar->setValue(bar->value() + by); };
    if (drag_.movesRows() && inViewport.y() >= body.height())
        step(grid_->verticalScrollBar(), +1);
    else if (drag_.movesRows() && inViewport.y() < 0)
        step(grid_->verticalScrollBar(), -1);
    if (drag_.movesCols() && inViewport.x() >= body.width())
        step(grid_->horizontalScrollBar(), +1);
    else if (drag_.movesCols() && inViewport.x() < 0)
        step(grid_->horizontalScrollBar(), -1);
    const auto [row, col] = cellInBody(dragPosition_);
    const GridBlock now = grid_->Block();
    const GridBlock next = drag_.move(row, col, now, grid_->Bounds());
    if (!(next == now)) {
        grid_->SetBlock(next);
        emit grid_->MouseMove(1, 0, dragPosition_.x() * grid_->TwipsPerPixelX(), dragPosition_.y() * grid_->TwipsPerPixelY());
    }
}

bool GridPointer::onColumnBorder(const QPoint& inHeader) const
{
    const QHeaderView* header = grid_->horizontalHeader();
    if (header->sectionResizeMode(0) != QHeaderView::Interactive || header->count() == 0)
        return false;
    const int margin = grid_->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
    const int x = inHeader.x();
    const int index = header->logicalIndexAt(x);
    if (index < 0) {
        const int last = header->logicalIndex(header->count() - 1);
        const int end = header->sectionViewportPosition(last) + header->sectionSize(last);
        return x >= end && x - end <= margin;
    }
    const int left = header->sectionViewportPosition(index);
    const int right = left + header->sectionSize(index);
    return right - x <= margin || (x - left < margin && header->visualIndex(index) > 0);
}
