#pragma once
// Tab strips whose pages are separate containers.

#include <QList>

class QTabBar;
class QWidget;

namespace modTabstrip {

// Ctrl+Tab (key 9 with exactly Ctrl, shift state 2) selects the next tab, after the last the first.
void SelectNextTab(QTabBar* tabs, int keyCode, int shift);
// Shows the page of the selected tab and hides the others.
void ShowTabPage(QTabBar* tabs, const QList<QWidget*>& pages);

} // namespace modTabstrip
