#include "KeyFilter.h"

#include "platform/PlatformServices.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QKeySequence>
#include <QMouseEvent>
#include <QWidget>

namespace {

// Control keys that change a box's text (cut, undo, redo, deleting a word backwards, the line
// editor's Emacs keys) count as the control characters they type and go through the filter
// like any other; a paste goes through it character by character. Copying and selecting change
// nothing and pass.
int ControlCharacter(const QKeyEvent* key)
{
    if (key->matches(QKeySequence::Cut))
        return 24;
    if (key->matches(QKeySequence::Undo))
        return 26;
    if (key->matches(QKeySequence::Redo))
        return 25;
    if (!(key->modifiers() & Qt::ControlModifier))
        return 0;
    if (key->key() == Qt::Key_Backspace)
        return 127;
    if (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z && key->key() != Qt::Key_C && key->key() != Qt::Key_A)
        return key->key() - Qt::Key_A + 1;
    return 0;
}

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
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            // Enter, Esc and Tab belong to the dialog (default button, cancel, next control).
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                return false;
            default:
                break;
            }
            if (key->matches(QKeySequence::Paste)) {
                paste(watched, QClipboard::Clipboard);
                return true;
            }
            int code = ControlCharacter(key);
            if (code == 0) {
                const QString text = key->text();
                if (text.isEmpty() || key->key() == Qt::Key_Delete || (key->modifiers() & Qt::ControlModifier))
                    return false;
                code = text.at(0).unicode();
            }
            return KeyFilter(code, allowed_) == 0;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The middle button pastes the selection of another window: a paste like Ctrl+V.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
                if (event->type() == QEvent::MouseButtonRelease)
                    paste(watched, QClipboard::Selection);
                return true;
            }
            return false;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    // A paste is typing: each character goes through the filter, and only those it lets
    // through reach the box.
    void paste(QObject* box, QClipboard::Mode mode)
    {
        QString accepted;
        for (const QChar c : QGuiApplication::clipboard()->text(mode)) {
            int code = c.unicode();
            if (KeyFilter(code, allowed_) != 0)
                accepted += c;
        }
        if (auto* edit = qobject_cast<QLineEdit*>(box); edit && !accepted.isEmpty())
            edit->insert(accepted);
    }

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
    // No other way in either: no dropped text, no context menu with Paste or Undo.
    textBox->setAcceptDrops(false);
    textBox->setContextMenuPolicy(Qt::NoContextMenu);
}
