#pragma once
// Window placement kept in the settings file (in twips), the program-wide list of the five
// most recently loaded paths and its menu items, and grid windows that cannot be closed on
// their own.

#include <QString>
#include <array>
#include <functional>

class QAction;
class QMdiSubWindow;
class QWidget;

namespace modControl {

// The frame's menu items that show the recent paths.
class RecentPathMenu {
public:
    virtual ~RecentPathMenu() = default;
    virtual QAction* mnuFileRecentPathSepa() = 0;
    virtual QAction* mnuFileRecentPath(int index) = 0;
};

constexpr int RecentPlaces = 5;
using RecentPathList = std::array<QString, RecentPlaces>;

// Place 0 holds the oldest path, the highest filled place the newest.
RecentPathList& RecentPaths();

// A window inside a multiple-document area keeps only its window state; any other window
// keeps state and outer rectangle. The section is the window's object name.
void RestorePlacement(QWidget* window);
void SavePlacement(QWidget* window);
void RestoreDialogPosition(QWidget* dialog);
void SaveDialogPosition(QWidget* dialog);

void LoadRecentPaths(RecentPathMenu& frame);
void SaveRecentPaths();
void AddRecentPath(RecentPathMenu& frame, const QString& path);
void RemoveRecentPath(RecentPathMenu& frame, const QString& path);
void RefreshRecentMenu(RecentPathMenu& frame);

// The sub-window gets no close button and no Close item, and refuses to close unless
// mayClose says the frame itself is closing.
void DisableCloseCommand(QMdiSubWindow* window, std::function<bool()> mayClose);

// Twips per logical pixel on the window's screen (at its scale).
double TwipsPerPixelX(const QWidget* window);
double TwipsPerPixelY(const QWidget* window);

} // namespace modControl
