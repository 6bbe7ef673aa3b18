#include "ToolIcons.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

const QColor Ink(40, 60, 90);
const QColor Paper(255, 255, 255);
const QColor Accent(228, 87, 46);

void Sheet(QPainter& p, const QRect& r)
{
    p.setPen(Ink);
    p.setBrush(Paper);
    p.drawRect(r);
}

QPixmap Draw(const QString& key)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    if (key == "Open") {
        p.setPen(Ink);
        p.setBrush(QColor(240, 200, 90));
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 4), QPoint(7, 6), QPoint(14, 6), QPoint(14, 13), QPoint(1, 13)}));
    } else if (key == "Compare") {
        Sheet(p, {1, 2, 6, 12});
        Sheet(p, {9, 2, 6, 12});
        p.fillRect(10, 7, 4, 3, Accent);
    } else if (key == "UniWidth") {
        p.setPen(Ink);
        for (int x : {1, 5, 9, 13})
            p.drawLine(x, 3, x, 12);
        p.drawLine(1, 8, 13, 8);
    } else if (key == "Option") {
        p.setPen(QPen(Ink, 2));
        p.drawEllipse(QPoint(8, 8), 4, 4);
        p.drawLine(8, 1, 8, 3);
        p.drawLine(8, 13, 8, 15);
        p.drawLine(1, 8, 3, 8);
        p.drawLine(13, 8, 15, 8);
    } else if (key == "Cascade") {
        Sheet(p, {1, 1, 9, 7});
        Sheet(p, {4, 4, 9, 7});
        Sheet(p, {6, 7, 9, 7});
    } else if (key == "Horizontal") {
        Sheet(p, {1, 1, 14, 4});
        Sheet(p, {1, 6, 14, 4});
        Sheet(p, {1, 11, 14, 4});
    } else if (key == "Vertical") {
        Sheet(p, {1, 1, 4, 14});
        Sheet(p, {6, 1, 4, 14});
        Sheet(p, {11, 1, 4, 14});
    } else if (key == "Next" || key == "Previous" || key == "Worst") {
        p.setPen(Qt::NoPen);
        p.setBrush(key == "Worst" ? Accent : Ink);
        if (key == "Previous")
            p.drawPolygon(QPolygon({QPoint(12, 2), QPoint(4, 8), QPoint(12, 14)}));
        else
            p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(12, 8), QPoint(4, 14)}));
    } else if (key == "Help") {
        p.setPen(Ink);
        p.setBrush(QColor(90, 140, 210));
        p.drawEllipse(1, 1, 13, 13);
        p.setPen(Paper);
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
    }
    return pixmap;
}

} // namespace

QIcon ToolIcon(const QString& key)
{
    static QHash<QString, QIcon> icons;
    auto it = icons.find(key);
    if (it == icons.end())
        it = icons.insert(key, QIcon(Draw(key)));
    return *it;
}
