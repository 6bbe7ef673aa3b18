#include "SummaryWindow.h"

#include "mdiMain.h"

#include "core/Figures.h"
#include "core/VerdictColour.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"
#include "locale/LocaleFormat.h"

#include <QHeaderView>
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

// Bars of differing cells by digits in common, "D" first, painted.
class HistogramView : public QWidget {
public:
    explicit HistogramView(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Histogram"));
        setMinimumHeight(160);
    }
    void setHistogram(const tallir::AgreementHistogram& histogram) { histogram_ = histogram; update(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        std::vector<std::pair<QString, std::uint64_t>> bars;
        if (histogram_.text)
            bars.emplace_back(QStringLiteral("D"), histogram_.text);
        for (const auto& [digits, cells] : histogram_.bins)
            bars.emplace_back(digits < 0 ? QStringLiteral("<0") : QString::number(digits), cells);
        const QFontMetrics metrics(font());
        const int line = metrics.height();
        if (bars.empty()) {
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No differing cells"));
            return;
        }
        std::uint64_t most = 0;
        for (const auto& bar : bars)
            most = std::max(most, bar.second);
        const int left = metrics.horizontalAdvance(QString::number(most)) + 8;
        const QRect plot(left, line, width() - left - 8, height() - 3 * line - 8);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter.drawText(QRect(0, plot.top() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter, QString::number(most));
        painter.drawText(QRect(0, plot.bottom() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
        // Bars of a readable width, however few.
        const int slot = std::min(plot.width() / int(bars.size()), 4 * line);
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const int h = std::max(1, int(double(bars[i].second) / double(most) * plot.height()));
            const QRect bar(plot.left() + int(i) * slot + slot / 6, plot.bottom() - h, std::max(1, slot * 2 / 3), h);
            const tallir::Verdict shade{0, 0, bars[i].first == "D" ? 0 : bars[i].first == "<0" ? -1 : bars[i].first.toDouble(),
                                        bars[i].first == "D" ? tallir::VerdictKind::Text : tallir::VerdictKind::Digits};
            const tallir::Rgb rgb = tallir::VerdictRgb(shade, 15);
            painter.fillRect(bar, QColor(rgb.red, rgb.green, rgb.blue));
            painter.drawText(QRect(bar.left() - slot / 6, plot.bottom() + 2, slot, line), Qt::AlignHCenter, bars[i].first);
        }
        painter.drawText(QRect(plot.left(), plot.bottom() + line + 4, plot.width(), line), Qt::AlignHCenter,
                         QStringLiteral("differing cells by the digits in common (D: texts differ)"));
    }

private:
    tallir::AgreementHistogram histogram_;
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
