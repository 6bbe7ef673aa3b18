#include "StatusPanels.h"

#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>

namespace {

constexpr int EmptyPanelWidth = 40;

class PanelLabel : public QLabel {
public:
    PanelLabel(QWidget* parent, bool elides)
        : QLabel(parent)
        , elides_(elides)
    {
    }

    bool elides() const { return elides_; }

    QString shownText() const
    {
        if (!elides_)
            return text();
        return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width() - 2 * margin() - 2 * indentWidth());
    }

    QSize minimumSizeHint() const override
    {
        QSize size = QLabel::minimumSizeHint();
        size.setWidth(elides_ ? 0 : std::max(EmptyPanelWidth, size.width()));
        return size;
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!elides_) {
            QLabel::paintEvent(event);
            return;
        }
        QFrame::paintEvent(event);
        QPainter painter(this);
        const QRect area = contentsRect().adjusted(margin() + indentWidth(), margin(), -margin() - indentWidth(), -margin());
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shownText(), foregroundRole());
    }

private:
    int indentWidth() const { return indent() < 0 ? 0 : indent(); }

    bool elides_;
};

} // namespace

namespace StatusPanels {

QLabel* AddPanel(QStatusBar* bar, const QString& key, bool stretch)
{
    auto* panel = new PanelLabel(bar, stretch);
    panel->setObjectName(key);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    bar->addPermanentWidget(panel, stretch ? 1 : 0);
    return panel;
}

QLabel* Panel(QStatusBar* bar, const QString& key)
{
    return bar->findChild<QLabel*>(key);
}

void SetText(QStatusBar* bar, const QString& key, const QString& text)
{
    QLabel* panel = Panel(bar, key);
    if (!panel)
        return;
    panel->setText(text);
    // An elided text is read whole in the tool tip, above what the panel's tip says anyway.
    if (auto* own = dynamic_cast<PanelLabel*>(panel); own && own->elides()) {
        const QString note = panel->property(ToolTipNote).toString();
        panel->setToolTip(note.isEmpty() ? text : text.isEmpty() ? note : text + '\n' + note);
    }
}

QString Text(QStatusBar* bar, const QString& key)
{
    const QLabel* panel = Panel(bar, key);
    return panel ? panel->text() : QString();
}

QString ShownText(const QLabel* panel)
{
    if (const auto* own = dynamic_cast<const PanelLabel*>(panel))
        return own->shownText();
    return panel->text();
}

} // namespace StatusPanels
