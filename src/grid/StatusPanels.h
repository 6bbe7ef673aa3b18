#pragma once
// Status bar panels addressed by key: each panel is a label whose object name is its key.

#include <QString>

class QLabel;
class QStatusBar;

namespace StatusPanels {

// Appends a panel; stretch panels take the width left over.
QLabel* AddPanel(QStatusBar* bar, const QString& key, bool stretch = false);
QLabel* Panel(QStatusBar* bar, const QString& key);
void SetText(QStatusBar* bar, const QString& key, const QString& text);
QString Text(QStatusBar* bar, const QString& key);

} // namespace StatusPanels
