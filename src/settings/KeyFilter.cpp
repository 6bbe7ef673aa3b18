#include "KeyFilter.h"

#include "platform/PlatformServices.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject* parent, QString allowed)
        : QObject(parent)
        , allowed_(std::move(allowed))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || key->key() == Qt::Key_Delete || (key->modifiers() & Qt::ControlModifier))
            return false;
        int code = text.at(0).unicode();
        return KeyFilter(code, allowed_) == 0;
    }

private:
    QString allowed_;
};

} // namespace

int KeyFilter(int& keyCode, const QString& allowed)
{
    for (const QChar c : allowed)
        if (c.unicode() == keyCode)
            return keyCode;
    keyCode = 0;
    platform::Platform().beep();
    return 0;
}

void InstallKeyFilter(QWidget* textBox, const QString& allowed)
{
    textBox->installEventFilter(new KeyPressFilter(textBox, allowed));
}
