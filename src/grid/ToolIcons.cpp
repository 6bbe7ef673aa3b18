#include "ToolIcons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QStyle>
#include <QStyleOption>
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

// The picture of a key on a 16 x 16 grid of units; the painter scales it to any size.
void Draw(QPainter& p, const QString& key)
{
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
}

// Draws its picture afresh at every size asked for, so it is crisp at any scale.
class DrawnIconEngine : public QIconEngine {
public:
    explicit DrawnIconEngine(QString key)
        : key_(std::move(key))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap drawn = scaledPixmap(rect.size(), mode, state, ratio);
        painter->drawPixmap(rect, drawn);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(pixmap.width() / 16.0, pixmap.height() / 16.0);
            Draw(p, key_);
        }
        pixmap.setDevicePixelRatio(scale);
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            return QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
        }
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new DrawnIconEngine(key_); }
    QString key() const override { return QStringLiteral("TallirDrawnIcon"); }

private:
    QString key_;
};

// Names from the desktop's icon naming scheme, for the buttons that have one.
QString ThemeName(const QString& key)
{
    static const QHash<QString, QString> names{{"Open", "document-open"},
                                               {"Option", "preferences-system"},
                                               {"Help", "help-contents"},
                                               {"Previous", "go-previous"},
                                               {"Next", "go-next"}};
    return names.value(key);
}

} // namespace

QIcon DrawnIcon(const QString& key)
{
    return QIcon(new DrawnIconEngine(key));
}

QIcon ToolIcon(const QString& key)
{
    const QString name = ThemeName(key);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return DrawnIcon(key);
}
