#pragma once
// One grid window: "File 1", "File 2" or "Compare", by its role (Tag "0", "1" or "2"). A
// toolbar with the window's commands and the current cell's text, the grid, and a status bar
// with the panels "Dimension", "Space0", "Size" and "DateLastModified".

#include <QWidget>

class GridHost;
class MSFlexGrid;
class QLineEdit;
class QMdiSubWindow;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;

class frmGrid : public QWidget {
    Q_OBJECT
public:
    explicit frmGrid(GridHost& host, QWidget* parent = nullptr);

    // Runs the load steps once the window sits in its sub-window.
    void Form_Load(QMdiSubWindow* subWindow);
    // The window became the active one.
    void Form_Activate();
    // The frame is closing: the window saves its state.
    void Form_Unload();

    QString Tag() const { return tag_; }
    // 0, 1 or 2; anything else is an internal error.
    int Role() const;
    bool IsFileWindow() const { return Role() != 2; }
    QMdiSubWindow* SubWindow() const { return subWindow_; }

    QString Caption() const;
    void SetCaption(const QString& caption);

    void InitToolbar(QToolBar* toolbar, bool visible);
    void ShowBar(QWidget* bar, bool visible);
    void Toolbar1_ButtonClick(const QString& key);

    qint64 MSFlexGrid_CurRow() const { return curRow_; }
    qint64 MSFlexGrid_CurRowSel() const { return curRowSel_; }
    qint64 MSFlexGrid_CurCol() const { return curCol_; }
    qint64 MSFlexGrid_CurColSel() const { return curColSel_; }
    void SetMSFlexGrid_CurRow(qint64 value) { curRow_ = value; }
    void SetMSFlexGrid_CurRowSel(qint64 value) { curRowSel_ = value; }
    void SetMSFlexGrid_CurCol(qint64 value) { curCol_ = value; }
    void SetMSFlexGrid_CurColSel(qint64 value) { curColSel_ = value; }

    MSFlexGrid* MSFlexGrid1() const { return grid_; }
    // A narrow widget kept at the grid's right, as high as the grid (such as an overview strip);
    // the grid gives up its width.
    void SetSideStrip(QWidget* strip);
    QWidget* SideStrip() const { return sideStrip_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QStatusBar* StatusBar1() const { return statusBar_; }
    QLineEdit* Text1() const { return text1_; }
    QPlainTextEdit* txtMultiLine() const { return multiLine_; }

    // The path of the last successful load, as it was given; watched for changes on disk,
    // which the status bar then tells.
    QString LoadedPath() const { return loadedPath_; }
    void SetLoadedPath(const QString& path);
    // Files whose change on disk the window is told of as of its own (none: no more).
    void WatchFiles(const QStringList& paths);
    // Says in the status bar that the loaded file changed on disk; the words said.
    QString SayChangedOnDisk();

    // Paints the block into target's grid with marked headers, selects it there, records it
    // in target's four MSFlexGrid_Cur... properties and shows the current cell in its Text1.
    static void MSFlexGrid_ShowSelection(frmGrid& target, qint64 row, qint64 col, qint64 rowSel, qint64 colSel);
    // Takes the painted block and header marks away and makes the first body cell current.
    static void MSFlexGrid_ClearSelection(frmGrid& target);
    // The column of window toSlot that stands for column col of window fromSlot (grid columns,
    // the header column 0): the same, except where the comparison shown matched File 2's columns
    // by name, where File 2's is the column compared with it. Columns without a partner keep
    // their place.
    static qint64 LinkedColumn(int fromSlot, int toSlot, qint64 col);
    // The block selected in window fromSlot, shown in all three windows at the linked columns.
    static void ShowLinkedSelection(int fromSlot, qint64 row, qint64 col, qint64 rowSel, qint64 colSel);

    // OLEDropMode of the window itself (the grid has its own).
    int OLEDropMode() const { return oleDropMode_; }

    QSize sizeHint() const override { return {480, 360}; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    static void PaintSelection(frmGrid& target, qint64 row, qint64 col, qint64 rowSel, qint64 colSel, bool marked);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Form_Resize();
    void connectGrid();
    void MSFlexGrid1_MouseDown(int button);
    void MSFlexGrid1_MouseMove(int button);
    void MSFlexGrid1_MouseUp(int button);
    void MSFlexGrid1_DblClick();
    void MSFlexGrid1_Scroll();
    void OLEDragDrop(const QStringList& files);

    GridHost& host_;
    QString tag_;
    QMdiSubWindow* subWindow_ = nullptr;
    MSFlexGrid* grid_;
    QWidget* sideStrip_ = nullptr;
    QToolBar* toolbar_;
    QStatusBar* statusBar_;
    QLineEdit* text1_;
    QPlainTextEdit* multiLine_;
    int oleDropMode_ = 0;
    QString loadedPath_;
    class QFileSystemWatcher* watcher_ = nullptr;
    qint64 curRow_ = 1, curRowSel_ = 1, curCol_ = 1, curColSel_ = 1;
};
