#pragma once
// Status bar panels addressed by key: each panel is a label whose object name is its key.
// A panel is always as wide as its text; the stretch panel takes the width left over and,
// where that is too little, elides its text at the right with the whole text in its tool tip.

#include <QString>

class QLabel;
class QStatusBar;

namespace StatusPanels {

// Appends a panel; stretch panels take the width left over.
QLabel* AddPanel(QStatusBar* bar, const QString& key, bool stretch = false);
QLabel* Panel(QStatusBar* bar, const QString& key);
void SetText(QStatusBar* bar, const QString& key, const QString& text);
QString Text(QStatusBar* bar, const QString& key);
// A panel property: a tool tip line shown below the panel's text.
inline constexpr char ToolTipNote[] = "toolTipNote";

// The text a panel shows in its present width (elided for the stretch panel).
QString ShownText(const QLabel* panel);

} // namespace StatusPanels
