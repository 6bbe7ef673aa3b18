#pragma once
// A test that drives a real frame with its three grid windows, shown at a given size, with the
// platform services faked and the settings in a folder of its own.

#include "app/mdiMain.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"
#include "settings/modControl.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QSize>
#include <gtest/gtest.h>

class FrameFixture : public testing::Test {
protected:
    explicit FrameFixture(QSize size)
    {
        modControl::RecentPaths() = {};
        frame.MDIForm_Load();
        frame.resize(size);
        frame.show();
        QApplication::processEvents();
    }
    ~FrameFixture() override { modControl::RecentPaths() = {}; }

    frmGrid& window(int slot) { return *GridWindows()[slot]; }
    MSFlexGrid* grid(int slot) { return window(slot).MSFlexGrid1(); }
    // The three grid windows side by side, each 380 pixels wide.
    void placeSideBySide(int height)
    {
        for (int slot = 0; slot < 3; ++slot)
            window(slot).SubWindow()->setGeometry(slot * 390, 0, 380, height);
    }

    TempFolder folder;
    FakePlatform fake;
    mdiMain frame;
};
