#include "StatusPanels.h"

#include <QLabel>
#include <QStatusBar>

namespace StatusPanels {

QLabel* AddPanel(QStatusBar* bar, const QString& key, bool stretch)
{
    auto* panel = new QLabel(bar);
    panel->setObjectName(key);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(40);
    bar->addPermanentWidget(panel, stretch ? 1 : 0);
    return panel;
}

QLabel* Panel(QStatusBar* bar, const QString& key)
{
    return bar->findChild<QLabel*>(key);
}

void SetText(QStatusBar* bar, const QString& key, const QString& text)
{
    if (QLabel* panel = Panel(bar, key))
        panel->setText(text);
}

QString Text(QStatusBar* bar, const QString& key)
{
    const QLabel* panel = Panel(bar, key);
    return panel ? panel->text() : QString();
}

} // namespace StatusPanels
