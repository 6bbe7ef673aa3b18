#include "SystemFacts.h"

#include <QFile>
#include <QGuiApplication>

// Last: its macros (None, Bool, True) would clash with names in the headers above.
#if defined(TALLIR_X11)
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace platform {

KeyboardLocks ReadKeyboardLocks()
{
#if defined(TALLIR_X11)
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr; x11 && x11->display()) {
        // The locked modifiers: Lock for Caps Lock, and whichever one Num Lock sets.
        Display* display = x11->display();
        XkbStateRec state{};
        if (XkbGetState(display, XkbUseCoreKbd, &state) == Success) {
            const unsigned num = XkbKeysymToModifiers(display, XK_Num_Lock);
            return {(state.locked_mods & LockMask) != 0, num != 0 && (state.locked_mods & num) == num};
        }
    }
#endif
    auto light = [](const char* name) {
        const QString pattern = QStringLiteral("/sys/class/leds/input%1::") + QLatin1String(name) + "/brightness";
        for (int input = 0; input < 32; ++input) {
            QFile led(pattern.arg(input));
            if (led.open(QIODevice::ReadOnly) && led.readAll().trimmed() != "0")
                return true;
        }
        return false;
    };
    return {light("capslock"), light("numlock")};
}

} // namespace platform
