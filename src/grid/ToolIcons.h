#pragma once

#include <QIcon>
#include <QString>

// The toolbar images, found by their button key: "Open", "Compare", "UniWidth", "Option",
// "Cascade", "Horizontal", "Vertical", "Help", "Previous", "Next", "Worst". The desktop's icon
// theme gives those it has a standard name for; the others, and all where the desktop has no
// theme, are the program's own pictures, drawn at whatever size and scale they are shown.
QIcon ToolIcon(const QString& key);
// The program's own picture of a key, whatever the theme has.
QIcon DrawnIcon(const QString& key);
