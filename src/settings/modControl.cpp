#include "modControl.h"

#include "modUtil.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace modControl {

namespace {

const QString RecentSection = QStringLiteral("RecentPath");

bool IsMdiChild(const QWidget* window)
{
    return qobject_cast<const QMdiSubWindow*>(window) != nullptr;
}

QRect ScreenOf(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QString Section(const QWidget* window)
{
    return window->objectName();
}

void ApplyOuterGeometry(QWidget* window, const QRect& outer)
{
    const QSize extra = window->frameGeometry().size() - window->geometry().size();
    window->move(outer.topLeft());
    window->resize(std::max(1, outer.width() - extra.width()), std::max(1, outer.height() - extra.height()));
}

// Applies the outer rectangle again when the window shows and once more when its frame margins
// become known: a window manager tells them only some time after the window is mapped, and
// until then the outer size would be taken for the inner one (the window growing by its
// decorations at every start). Gone once the margins are applied, or a few seconds after the
// window shows when it gets none.
class ApplyOnShow : public QObject {
public:
    ApplyOnShow(QWidget* window, const QRect& outer)
        : QObject(window)
        , outer_(outer)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        const QEvent::Type type = event->type();
        const bool margins = window->frameGeometry().size() != window->geometry().size();
        const bool placed = window->isMaximized() || window->isMinimized();
        if (type == QEvent::Show && !shown_) {
            shown_ = true;
            if (!placed)
                ApplyOuterGeometry(window, outer_);
            if (margins || placed)
                Finish(window);
            else
                QTimer::singleShot(3000, this, [this, window] { Finish(window); });
        } else if (shown_ && (type == QEvent::Move || type == QEvent::Resize) && margins && !placed) {
            QTimer::singleShot(0, this, [this, window] { ApplyOuterGeometry(window, outer_); });
            Finish(window);
        }
        return false;
    }

private:
    void Finish(QWidget* window)
    {
        window->removeEventFilter(this);
        deleteLater();
    }

    QRect outer_;
    bool shown_ = false;
};

// Outer (frame) rectangle in twips.
void SetOuterGeometry(QWidget* window, double left, double top, double width, double height)
{
    const double tx = TwipsPerPixelX(window);
    const double ty = TwipsPerPixelY(window);
    const QRect outer(int(std::lround(left / tx)), int(std::lround(top / ty)), int(std::lround(width / tx)),
                      int(std::lround(height / ty)));
    ApplyOuterGeometry(window, outer);
    if (!window->isVisible())
        new ApplyOnShow(window, outer);
}

class CloseGuard : public QObject {
public:
    CloseGuard(QObject* parent, std::function<bool()> mayClose)
        : QObject(parent)
        , mayClose_(std::move(mayClose))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !(mayClose_ && mayClose_())) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> mayClose_;
};

} // namespace

// A pixel here is a device pixel: scaling the whole interface (QT_SCALE_FACTOR, a desktop's
// scale) makes a logical pixel several device pixels, and a stored placement must keep its
// physical size rather than grow with the scale.
double TwipsPerPixelX(const QWidget* window)
{
    return 1440.0 * window->devicePixelRatioF() / std::max(1, window->logicalDpiX());
}

double TwipsPerPixelY(const QWidget* window)
{
    return 1440.0 * window->devicePixelRatioF() / std::max(1, window->logicalDpiY());
}

RecentPathList& RecentPaths()
{
    static RecentPathList paths;
    return paths;
}

void SavePlacement(QWidget* window)
{
    const QString path = modUtil::SettingsPath();
    const QString section = Section(window);
    int state = window->isMinimized() ? 1 : window->isMaximized() ? 2 : 0;
    // The grid windows share one state: while one of them is maximised the area shows its
    // children maximised, whichever of them writes last.
    if (const auto* child = qobject_cast<const QMdiSubWindow*>(window); child && child->mdiArea()) {
        const auto siblings = child->mdiArea()->subWindowList();
        if (std::any_of(siblings.begin(), siblings.end(), [](const QMdiSubWindow* sibling) { return sibling->isMaximized(); }))
            state = 2;
    }
    modUtil::WriteStringTo(section, "WindowState", QString::number(state), path);
    if (IsMdiChild(window))
        return;
    const QRect outer = window->frameGeometry();
    const double tx = TwipsPerPixelX(window);
    const double ty = TwipsPerPixelY(window);
    modUtil::WriteStringTo(section, "Left", modUtil::SingleToText(float(outer.x() * tx)), path);
    modUtil::WriteStringTo(section, "Top", modUtil::SingleToText(float(outer.y() * ty)), path);
    modUtil::WriteStringTo(section, "Width", modUtil::SingleToText(float(outer.width() * tx)), path);
    modUtil::WriteStringTo(section, "Height", modUtil::SingleToText(float(outer.height() * ty)), path);
}

void RestorePlacement(QWidget* window)
{
    const QString path = modUtil::SettingsPath();
    const QString section = Section(window);
    const qint16 state = modUtil::ReadIntegerFrom(section, "WindowState", 0, path);
    if (IsMdiChild(window)) {
        if (state == 2)
            window->showMaximized();
        else
            window->showNormal();
        return;
    }
    const QRect screen = ScreenOf(window);
    const float screenWidth = float(screen.width() * TwipsPerPixelX(window));
    const float screenHeight = float(screen.height() * TwipsPerPixelY(window));
    const float left = screenWidth * 0.3f / 2;
    const float top = screenHeight * 0.3f / 2;
    const float width = screenWidth * 0.7f;
    const float height = screenHeight * 0.7f;
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (state == 1 || state == 2) {
        SetOuterGeometry(window, left, top, width, height);
        if (state == 2)
            window->setWindowState(window->windowState() | Qt::WindowMaximized);
        return;
    }
    float storedLeft = modUtil::ReadSingleFrom(section, "Left", left, path);
    float storedTop = modUtil::ReadSingleFrom(section, "Top", top, path);
    float storedWidth = modUtil::ReadSingleFrom(section, "Width", width, path);
    float storedHeight = modUtil::ReadSingleFrom(section, "Height", height, path);
    // A stored rectangle is only trusted as far as the screen goes: one larger than the screen
    // (a hand-edited or corrupt file) gives the centred default, one off the screen is moved
    // onto it.
    if (!(storedWidth > 0 && storedHeight > 0 && storedWidth <= screenWidth && storedHeight <= screenHeight)) {
        storedLeft = left;
        storedTop = top;
        storedWidth = width;
        storedHeight = height;
    } else {
        const float screenLeft = float(screen.x() * TwipsPerPixelX(window));
        const float screenTop = float(screen.y() * TwipsPerPixelY(window));
        storedLeft = std::clamp(storedLeft, screenLeft, screenLeft + screenWidth - storedWidth);
        storedTop = std::clamp(storedTop, screenTop, screenTop + screenHeight - storedHeight);
    }
    SetOuterGeometry(window, storedLeft, storedTop, storedWidth, storedHeight);
}

void SaveDialogPosition(QWidget* dialog)
{
    const QString path = modUtil::SettingsPath();
    const QRect outer = dialog->frameGeometry();
    modUtil::WriteStringTo(Section(dialog), "Left", modUtil::SingleToText(float(outer.x() * TwipsPerPixelX(dialog))), path);
    modUtil::WriteStringTo(Section(dialog), "Top", modUtil::SingleToText(float(outer.y() * TwipsPerPixelY(dialog))), path);
}

void RestoreDialogPosition(QWidget* dialog)
{
    const QString path = modUtil::SettingsPath();
    const QRect screen = ScreenOf(dialog);
    const double tx = TwipsPerPixelX(dialog);
    const double ty = TwipsPerPixelY(dialog);
    // Centred by the size it will show with, not the size of a widget not laid out yet.
    if (!dialog->isVisible() && !dialog->testAttribute(Qt::WA_Resized))
        dialog->adjustSize();
    const QSize size = dialog->frameGeometry().size();
    const float left = float((screen.width() - size.width()) * tx / 2);
    const float top = float((screen.height() - size.height()) * ty / 2);
    const float x = modUtil::ReadSingleFrom(Section(dialog), "Left", left, path);
    const float y = modUtil::ReadSingleFrom(Section(dialog), "Top", top, path);
    dialog->move(int(std::lround(x / tx)), int(std::lround(y / ty)));
}

void LoadRecentPaths(RecentPathMenu& frame)
{
    const QString path = modUtil::SettingsPath();
    for (int place = 0; place < RecentPlaces; ++place)
        RecentPaths()[place] = modUtil::ReadStringFrom(RecentSection, QString::number(place), "", path);
    RefreshRecentMenu(frame);
}

void SaveRecentPaths()
{
    const QString path = modUtil::SettingsPath();
    for (int place = 0; place < RecentPlaces; ++place)
        modUtil::WriteStringTo(RecentSection, QString::number(place), RecentPaths()[place], path);
}

void AddRecentPath(RecentPathMenu& frame, const QString& path)
{
    RecentPathList& list = RecentPaths();
    const auto found = std::find(list.begin(), list.end(), path);
    if (found != list.end()) {
        // Move the later paths down to the first gap, and put this one just before it.
        int place = int(found - list.begin());
        while (place + 1 < RecentPlaces && !list[place + 1].isEmpty()) {
            list[place] = list[place + 1];
            ++place;
        }
        list[place] = path;
    } else if (const auto empty = std::find(list.begin(), list.end(), QString()); empty != list.end()) {
        *empty = path;
    } else {
        std::rotate(list.begin(), list.begin() + 1, list.end());
        list.back() = path;
    }
    RefreshRecentMenu(frame);
}

void RemoveRecentPath(RecentPathMenu& frame, const QString& path)
{
    RecentPathList& list = RecentPaths();
    const auto found = std::find(list.begin(), list.end(), path);
    if (found == list.end())
        return;
    std::move(found + 1, list.end(), found);
    list.back().clear();
    RefreshRecentMenu(frame);
}

void RefreshRecentMenu(RecentPathMenu& frame)
{
    const RecentPathList& list = RecentPaths();
    frame.mnuFileRecentPathSepa()->setVisible(!list[0].isEmpty());
    for (int k = 0; k < RecentPlaces; ++k) {
        QAction* item = frame.mnuFileRecentPath(k);
        const QString& path = list[RecentPlaces - 1 - k];
        item->setText(path);
        item->setVisible(!path.isEmpty());
    }
}

void DisableCloseCommand(QMdiSubWindow* window, std::function<bool()> mayClose)
{
    // The title bar draws its close button with the system menu: both go.
    const bool visible = window->isVisible();
    window->setWindowFlags((window->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowMinMaxButtonsHint)
                           & ~(Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));
    if (visible)
        window->show();
    // The sub-window brings its menu items up to date on every change of state: grey Close again.
    auto greyClose = [window] {
        if (QMenu* menu = window->systemMenu())
            for (QAction* action : menu->actions())
                if (action->text().remove('&').startsWith("Close"))
                    action->setEnabled(false);
    };
    greyClose();
    QObject::connect(window, &QMdiSubWindow::windowStateChanged, window, greyClose);
    window->installEventFilter(new CloseGuard(window, std::move(mayClose)));
}

} // namespace modControl
