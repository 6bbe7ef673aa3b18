#pragma once
// Building toolbars from keyed buttons: a button's key is also its tool tip, its description
// (the status tip) and the key of its image.

#include <QString>

class QAction;
class QToolBar;
class QWidget;

namespace modToolbar {

QAction* AddToolButton(QToolBar* toolbar, const QString& key);
// An empty gap of the given width in twips, that other controls can be laid over.
QWidget* AddToolPlaceholder(QToolBar* toolbar, const QString& key, qint16 width);
void AddToolSeparator(QToolBar* toolbar);

// The button or placeholder of a key, or nullptr.
QAction* ToolButton(QToolBar* toolbar, const QString& key);
QWidget* ToolPlaceholder(QToolBar* toolbar, const QString& key);

} // namespace modToolbar
