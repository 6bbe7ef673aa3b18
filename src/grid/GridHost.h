#pragma once
// What a grid window asks of the frame that holds it: its role at creation, the frame's file
// commands to enable, and the commands of the window's toolbar, which need the loader and the
// comparison above this layer.

#include <QString>
#include <QStringList>

class frmGrid;

class GridHost {
public:
    virtual ~GridHost() = default;

    // The frame's Tag: the role of the window being created.
    virtual QString frameTag() const = 0;
    // Open... and the recent paths: enabled while a file window is active.
    virtual void setFileCommandsEnabled(bool enabled) = 0;
    // Toolbar commands.
    virtual void openInto(frmGrid& window) = 0;
    virtual void compare() = 0;
    virtual void uniformWidth(frmGrid& window) = 0;
    // Files dropped onto a file window or its grid.
    virtual void dropOnto(frmGrid& window, const QStringList& files) = 0;
    // The file a window shows changed on disk.
    virtual void fileChanged(frmGrid& window) = 0;
    // A grid window closes only with the frame.
    virtual bool frameClosing() const = 0;
};
