#include "mdiMain.h"

#include "core/Version.h"

#include <QMdiArea>

mdiMain::mdiMain(QWidget* parent)
    : QMainWindow(parent)
    , area_(new QMdiArea(this))
{
    setObjectName(QStringLiteral("mdiMain"));
    setWindowTitle(QString::fromStdString(tallir::VersionCaption()));
    setCentralWidget(area_);
    resize(800, 600);
}
