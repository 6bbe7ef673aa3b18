#pragma once

#include <QIcon>
#include <QString>

// The 16 x 16 toolbar images, drawn by the program and found by their button key: "Open",
// "Compare", "UniWidth", "Option", "Cascade", "Horizontal", "Vertical", "Help".
QIcon ToolIcon(const QString& key);
