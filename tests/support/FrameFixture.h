#pragma once
// A test that drives a real frame with its three grid windows, shown at a given size, with the
// platform services faked and the settings in a folder of its own.

#include "app/mdiMain.h"
#include "app/modMain.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "settings/modControl.h"
#include "settings/modUtil.h"
#include "support/FakePlatform.h"
#include "support/PaintRecorder.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QSize>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

class FrameFixture : public testing::Test {
protected:
    explicit FrameFixture(QSize size = {1200, 700})
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
    // Loads a file into each File window, each load a success, and compares them unless told not to.
    void load(const QString& file1, const QString& file2, bool compare = true)
    {
        EXPECT_TRUE(modMain::LoadFile(window(0), file1)) << file1.toStdString();
        EXPECT_TRUE(modMain::LoadFile(window(1), file2)) << file2.toStdString();
        if (compare)
            modMain::CompareGrids();
    }
    // The three grid windows side by side, each 380 pixels wide.
    void placeSideBySide(int height)
    {
        for (int slot = 0; slot < 3; ++slot)
            window(slot).SubWindow()->setGeometry(slot * 390, 0, 380, height);
    }

    // The rectangle of a body cell (grid numbering, from 1) in its grid's viewport.
    QRect cellRect(int slot, qint64 row, qint64 col)
    {
        return PaintRecorder::CellRect(grid(slot), row, col);
    }
    // What the viewport of a grid paints.
    std::unique_ptr<PaintRecorder> painted(int slot) { return PaintRecorder::Of(grid(slot)->viewport()); }
    // The texts it paints, in the order painted.
    QStringList shown(int slot) { return painted(slot)->allTexts(); }
    // The colour painted last over the middle of a body cell.
    QColor cellColour(int slot, qint64 row, qint64 col) { return PaintRecorder::CellColour(grid(slot), row, col); }
    // The block a window last painted: its current cell and the far corner of its selection.
    GridBlock block(int slot)
    {
        const frmGrid& w = window(slot);
        return {w.MSFlexGrid_CurRow(), w.MSFlexGrid_CurCol(), w.MSFlexGrid_CurRowSel(), w.MSFlexGrid_CurColSel()};
    }
    // The row numbers down a grid's left edge.
    QStringList rowHeaders(int slot)
    {
        QStringList headers;
        for (qint64 r = 1; r < grid(slot)->Rows(); ++r)
            headers << grid(slot)->TextMatrix(r, 0);
        return headers;
    }
    // Opens a dialog with a menu item and works it as a person would while it shows.
    template <typename Dialog>
    void work(QAction* opens, const std::function<void(Dialog&)>& steps)
    {
        fake.onDialog = [&](QDialog& dialog) { steps(static_cast<Dialog&>(dialog)); };
        opens->trigger();
        fake.onDialog = nullptr;
    }
    // The frame's message panel and the Compare window's figures.
    QString status() { return StatusPanels::Text(frame.StatusBar1(), "Space0"); }
    QString figures() { return StatusPanels::Text(window(2).StatusBar1(), "Space0"); }

    TempFolder folder;
    FakePlatform fake;
    mdiMain frame;
};
