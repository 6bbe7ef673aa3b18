#include "modTabstrip.h"

#include <QTabBar>
#include <QWidget>

namespace modTabstrip {

void SelectNextTab(QTabBar* tabs, int keyCode, int shift)
{
    if (keyCode == 9 && shift == 2 && tabs->count() > 0)
        tabs->setCurrentIndex((tabs->currentIndex() + 1) % tabs->count());
}

void ShowTabPage(QTabBar* tabs, const QList<QWidget*>& pages)
{
    for (qsizetype i = 0; i < pages.size(); ++i)
        pages[i]->setVisible(tabs->currentIndex() == i);
}

} // namespace modTabstrip
