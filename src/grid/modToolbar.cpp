#include "modToolbar.h"

#include "ToolIcons.h"

#include <QAction>
#include <QToolBar>
#include <cmath>

namespace modToolbar {

QAction* AddToolButton(QToolBar* toolbar, const QString& key)
{
    QAction* action = toolbar->addAction(ToolIcon(key), QString());
    action->setObjectName(key);
    action->setToolTip(key);
    action->setStatusTip(key);
    return action;
}

QWidget* AddToolPlaceholder(QToolBar* toolbar, const QString& key, qint16 width)
{
    auto* gap = new QWidget(toolbar);
    gap->setObjectName(key);
    gap->setToolTip(key);
    gap->setStatusTip(key);
    const double twipsPerPixel = 1440.0 / std::max(1, toolbar->logicalDpiX());
    gap->setFixedWidth(std::max(0, int(std::lround(width / twipsPerPixel))));
    QAction* action = toolbar->addWidget(gap);
    action->setObjectName(key);
    return gap;
}

void AddToolSeparator(QToolBar* toolbar)
{
    toolbar->addSeparator();
}

QAction* ToolButton(QToolBar* toolbar, const QString& key)
{
    for (QAction* action : toolbar->actions())
        if (action->objectName() == key)
            return action;
    return nullptr;
}

QWidget* ToolPlaceholder(QToolBar* toolbar, const QString& key)
{
    return toolbar->findChild<QWidget*>(key, Qt::FindDirectChildrenOnly);
}

} // namespace modToolbar
