#include "SummaryWindow.h"

#include "mdiMain.h"

#include "core/Figures.h"
#include "core/VerdictColour.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"
#include "locale/LocaleFormat.h"

#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTableWidget>
#include <QVBoxLayout>

namespace SummaryWindow {

namespace {

// A cell of the table that sorts by its number, whatever it shows, and may know a grid cell.
class FigureItem : public QTableWidgetItem {
public:
    FigureItem(const QString& text, double key) : QTableWidgetItem(text) { setData(Qt::UserRole, key); }
    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

// Bars of differing cells by digits in common, "D" first, painted on a logarithmic scale with
// their counts: the cells beyond the tolerance in the verdict's colour, those regarded as the
// same stacked above them in a calm grey. Each bar tells its figures as a tool tip.
class HistogramView : public QWidget {
public:
    explicit HistogramView(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Histogram"));
        setMinimumHeight(180);
    }
    void setHistogram(const tallir::AgreementHistogram& histogram)
    {
        bars_ = tallir::HistogramBars(histogram);
        update();
    }
    // Where each bar is painted (the whole stack), as the last paint placed them.
    const std::vector<QRect>& barRects() const { return rects_; }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            for (std::size_t i = 0; i < rects_.size(); ++i)
                if (rects_[i].adjusted(-2, -2, 2, 2).contains(help->pos())) {
                    QToolTip::showText(help->globalPos(), QString::fromStdString(tallir::BarDescription(bars_[i])), this);
                    return true;
                }
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        return QWidget::event(event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        rects_.clear();
        const QFontMetrics metrics(font());
        const int line = metrics.height();
        if (bars_.empty()) {
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No differing cells"));
            return;
        }
        std::uint64_t most = 0;
        for (const auto& bar : bars_)
            most = std::max(most, bar.beyond + bar.same);
        const int left = metrics.horizontalAdvance(QString::number(most)) + 8;
        const QRect plot(left, 2 * line, width() - left - 8, height() - 5 * line - 8);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter.drawText(QRect(0, plot.top() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter, QString::number(most));
        painter.drawText(QRect(0, plot.bottom() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
        // Bars of a readable width, however few.
        const int slot = std::min(plot.width() / int(bars_.size()), 4 * line);
        for (std::size_t i = 0; i < bars_.size(); ++i) {
            const tallir::HistogramBar& bar = bars_[i];
            const auto [total, beyond] = tallir::StackOf(bar, most, plot.height());
            const int x = plot.left() + int(i) * slot + slot / 6, w = std::max(1, slot * 2 / 3);
            const tallir::Rgb rgb = tallir::VerdictRgb(bar.shade, 15);
            painter.fillRect(QRect(x, plot.bottom() - beyond, w, beyond), QColor(rgb.red, rgb.green, rgb.blue));
            painter.fillRect(QRect(x, plot.bottom() - total, w, total - beyond), SameColour());
            rects_.push_back(QRect(x, plot.bottom() - total, w, total));
            painter.drawText(QRect(x - slot / 6, plot.bottom() - total - line, slot, line), Qt::AlignHCenter | Qt::AlignBottom,
                             QString::number(bar.beyond + bar.same));
            painter.drawText(QRect(x - slot / 6, plot.bottom() + 2, slot, line), Qt::AlignHCenter, QString::fromStdString(bar.label));
        }
        painter.drawText(QRect(plot.left(), plot.bottom() + line + 4, plot.width(), line), Qt::AlignHCenter,
                         QStringLiteral("differing cells by the digits in common (D: texts differ), logarithmic scale"));
        const QRect key(plot.left(), plot.bottom() + 2 * line + 6, line, line - 4);
        painter.fillRect(key, SameColour());
        painter.drawText(QRect(key.right() + 6, key.top() - 2, plot.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("S: regarded as the same, stacked above the cells beyond the tolerance"));
    }

public:
    static QColor SameColour() { return QColor(200, 206, 200); }

private:
    std::vector<tallir::HistogramBar> bars_;
    std::vector<QRect> rects_;
};

struct Parts {
    QPointer<QWidget> window;
    QTableWidget* table = nullptr;
    HistogramView* histogram = nullptr;
};

Parts& TheParts()
{
    static Parts parts;
    return parts;
}

const QStringList Headers = {"Column", "Name", "Compared", "D", "S", "Digits", "Lowest agreement", "Largest absolute difference",
                             "Largest relative difference"};

} // namespace

void Show(QWidget* frame)
{
    Parts& parts = TheParts();
    if (!parts.window) {
        auto* window = new QWidget(frame, Qt::Window);
        window->setObjectName(QStringLiteral("frmSummary"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Summary"));
        auto* layout = new QVBoxLayout(window);
        parts.table = new QTableWidget(window);
        parts.table->setColumnCount(int(Headers.size()));
        parts.table->setHorizontalHeaderLabels(Headers);
        parts.table->verticalHeader()->hide();
        parts.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        parts.table->setSortingEnabled(true);
        parts.table->setToolTip(QStringLiteral("Click a heading to sort; double-click a figure to go to its cell"));
        QObject::connect(parts.table, &QTableWidget::itemDoubleClicked, window, [](QTableWidgetItem* item) {
            const QVariant row = item->data(Qt::UserRole + 1);
            if (row.isValid())
                mdiMain::Frame().goToCell(row.toULongLong(), item->data(Qt::UserRole + 2).toULongLong());
        });
        parts.histogram = new HistogramView(window);
        layout->addWidget(parts.table, 3);
        layout->addWidget(parts.histogram, 2);
        window->resize(900, 480);
        // Escape closes it, as it does a dialog.
        auto* close = new QAction(window);
        close->setShortcut(QKeySequence(Qt::Key_Escape));
        close->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(close, &QAction::triggered, window, &QWidget::close);
        window->addAction(close);
        parts.window = window;
        Refresh();
    }
    parts.window->show();
    parts.window->raise();
    parts.window->activateWindow();
}

void Refresh()
{
    Parts& parts = TheParts();
    if (!parts.window)
        return;
    const GridStore& compare = GridWindows()[2]->MSFlexGrid1()->Store();
    const tallir::CompareResult* result = compare.comparison();
    QTableWidget* table = parts.table;
    table->setSortingEnabled(false);
    table->setRowCount(0);
    if (!result) {
        parts.histogram->setHistogram({});
        return;
    }
    const auto columns = tallir::SummarizeColumns(*result, GridWindows()[0]->MSFlexGrid1()->Store().table(),
                                                  GridWindows()[1]->MSFlexGrid1()->Store().table());
    table->setRowCount(int(columns.size()));
    auto count = [](std::uint64_t n) { return new FigureItem(QString::number(n), double(n)); };
    // A figure with its cell: shown as "value at R3 C2", sorted by the value, gone to on a double-click.
    auto at = [&](const auto& figure, const QString& value) -> QTableWidgetItem* {
        if (!figure)
            return new FigureItem(QString(), -std::numeric_limits<double>::infinity());
        auto* item = new FigureItem(value + " at " + QString::fromStdString(compare.cellName(qint64(figure->cell.row) + 1,
                                                                                             qint64(figure->cell.col) + 1)),
                                    figure->value);
        item->setData(Qt::UserRole + 1, qulonglong(figure->cell.row));
        item->setData(Qt::UserRole + 2, qulonglong(figure->cell.col));
        return item;
    };
    for (int r = 0; r < int(columns.size()); ++r) {
        const tallir::ColumnFigures& column = columns[std::size_t(r)];
        const tallir::Figures& f = column.figures;
        table->setItem(r, 0, count(column.col + 1));
        table->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(std::string(compare.columnName(qint64(column.col) + 1)))));
        table->setItem(r, 2, count(column.compared));
        table->setItem(r, 3, count(f.textDiffering));
        table->setItem(r, 4, count(f.same));
        table->setItem(r, 5, count(f.digits));
        table->setItem(r, 6, at(f.lowestAgreement, f.lowestAgreement ? LocaleFormat::Standard(f.lowestAgreement->value) : QString()));
        table->setItem(r, 7, at(f.largestAbsolute, f.largestAbsolute ? QString::number(f.largestAbsolute->value, 'g', 6) : QString()));
        table->setItem(r, 8, at(f.largestRelative, f.largestRelative ? QString::number(f.largestRelative->value, 'g', 6) : QString()));
    }
    table->setSortingEnabled(true);
    table->resizeColumnsToContents();
    parts.histogram->setHistogram(tallir::HistogramOf(*result));
}

QWidget* Window()
{
    return TheParts().window;
}

QTableWidget* Table()
{
    return TheParts().window ? TheParts().table : nullptr;
}

QWidget* Histogram()
{
    return TheParts().window ? TheParts().histogram : nullptr;
}

} // namespace SummaryWindow
