#include "FiguresPanel.h"

#include "modMain.h"
#include "core/Figures.h"
#include "core/NumberFormat.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "locale/LocaleFormat.h"

#include <QLabel>
#include <QStatusBar>

namespace FiguresPanel {

namespace {

// A cell as the files name it: its line, its column and the column's name where it has one.
QString At(const tallir::CellPosition& cell)
{
    return QString::fromStdString(GridWindows()[2]->MSFlexGrid1()->Store().cellName(qint64(cell.row) + 1, qint64(cell.col) + 1));
}

QString Number(double value)
{
    return QString::fromStdString(tallir::NumberToText(value, 6, LocaleFormat::Separators().decimal));
}

} // namespace

void Show(const tallir::Figures& figures)
{
    QString summary;
    if (modMain::HideSame()) {
        summary = QStringLiteral("%1 beyond the tolerance (D %2, digits %3), S %4")
                      .arg(figures.beyondTolerance)
                      .arg(figures.textDiffering)
                      .arg(figures.digits)
                      .arg(figures.same);
        if (figures.largestAbsoluteBeyond)
            summary += QStringLiteral("; largest difference beyond it %1 at %2")
                           .arg(Number(figures.largestAbsoluteBeyond->value), At(figures.largestAbsoluteBeyond->cell));
        if (figures.largestRelativeBeyond)
            summary += QStringLiteral(", relative %1 at %2")
                           .arg(Number(figures.largestRelativeBeyond->value), At(figures.largestRelativeBeyond->cell));
    } else {
        summary = QStringLiteral("D %1, S %2, digits %3; %4 beyond the tolerance")
                      .arg(figures.textDiffering)
                      .arg(figures.same)
                      .arg(figures.digits)
                      .arg(figures.beyondTolerance);
    }
    if (figures.lowestAgreement)
        summary += QStringLiteral("; lowest agreement %1 at %2")
                       .arg(LocaleFormat::Standard(figures.lowestAgreement->value), At(figures.lowestAgreement->cell));
    if (const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
        result && result->options.alignment)
        summary += QStringLiteral("; rows only in File 1: %1, only in File 2: %2")
                       .arg(result->options.alignment->onlyIn1)
                       .arg(result->options.alignment->onlyIn2);
    // The rule that made cells "S", in the columns' own names.
    if (const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison()) {
        const std::string rule = tallir::DescribeTolerance(result->options, GridWindows()[0]->MSFlexGrid1()->Store().table().names());
        if (!rule.empty())
            summary += QStringLiteral("; ") + QString::fromStdString(rule);
    }
    QStatusBar* bar = GridWindows()[2]->StatusBar1();
    StatusPanels::SetText(bar, "Space0", summary);
    if (QLabel* panel = StatusPanels::Panel(bar, "Space0")) {
        const auto& lowest = figures.lowestAgreement;
        panel->setProperty("lowestRow", lowest ? QVariant(qint64(lowest->cell.row + 1)) : QVariant());
        panel->setProperty("lowestCol", lowest ? QVariant(qint64(lowest->cell.col + 1)) : QVariant());
    }
}

void Refresh()
{
    const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
    if (!result)
        return;
    Show(tallir::Summarize(*result, GridWindows()[0]->MSFlexGrid1()->Store().table(),
                           GridWindows()[1]->MSFlexGrid1()->Store().table()));
}

} // namespace FiguresPanel
