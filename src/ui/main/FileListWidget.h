#pragma once
// The batch list window: a scrolling stack of row widgets over the list model. It shows the
// rows, turns clicks and the list's keys into selections and commands, and hands dropped files
// on; the commands themselves belong to the main window.
#include <QScrollArea>
#include <QtGlobal>
#include <map>
#include <vector>

#include "app/BatchList.h"

class QAction;
class QLabel;
class QVBoxLayout;

namespace Ui {

class BackgroundOverviews;
class RowWidget;

// A key of the list that moves the selection, and what it does.
struct SelectionKey {
    Qt::Key key;
    App::BatchList::Key move;
    const char* what; // translated in the context "Ui::FileListWidget"
};
inline constexpr SelectionKey kSelectionKeys[] = {
    {Qt::Key_Home, App::BatchList::Key::Home,
     QT_TRANSLATE_NOOP("Ui::FileListWidget", "Select the first row")},
    {Qt::Key_End, App::BatchList::Key::End,
     QT_TRANSLATE_NOOP("Ui::FileListWidget", "Select the last row")},
    {Qt::Key_Up, App::BatchList::Key::Up,
     QT_TRANSLATE_NOOP("Ui::FileListWidget", "Select the row above")},
    {Qt::Key_Down, App::BatchList::Key::Down,
     QT_TRANSLATE_NOOP("Ui::FileListWidget", "Select the row below")},
};

// A letter key of the list and the main window's command it triggers: `beforeAnyRow` when it
// acts on an empty list that never had rows.
struct ListKey {
    Qt::Key key;
    int command;
    bool beforeAnyRow = false;
};

class FileListWidget : public QScrollArea {
    Q_OBJECT
  public:
    explicit FileListWidget(App::BatchList& list, QWidget* parent = nullptr);

    RowWidget* widgetOf(const App::CFileRow& row) const;
    RowWidget* widgetAt(std::size_t index) const { return widgetOf(list.row(index)); }
    // Rows were added or removed: a widget for each row, in list order.
    void syncRows();
    // The rows' values and states changed: every widget shows them again.
    void refreshRows();
    // The scans of the rows' waveforms; rows that go have theirs cancelled first.
    BackgroundOverviews& overviews() const { return *scans; }
    // A key pressed without Ctrl, Alt or Meta triggers the action; letter keys act only once a
    // row was ever added, unless `beforeAnyRow`.
    void bindKey(Qt::Key key, QAction* action, bool beforeAnyRow = false);
    // The keys bound, in key order, with their actions.
    std::vector<std::pair<Qt::Key, QAction*>> boundKeys() const;

  signals:
    void selectionChanged();
    void filesDropped(const QStringList& paths);
    // The row's W button.
    void editorRequested(App::CFileRow& row);
    // A double click on a row, which is selected alone first.
    void rowActivated(App::CFileRow& row);
    // The unit list of a row; `ctrlHeld` asks for the source BPM again.
    void timeUnitChosen(App::CFileRow& row, int unit, bool ctrlHeld);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct KeyBinding {
        QAction* action;
        bool beforeAnyRow;
    };
    void rowClicked(RowWidget* row, bool shift);
    bool handleKey(QKeyEvent* event);
    bool moveSelection(App::BatchList::Key move);

    App::BatchList& list;
    QWidget* rowsHost = nullptr;
    QVBoxLayout* rowsLayout = nullptr;
    QLabel* emptyHint = nullptr;
    BackgroundOverviews* scans = nullptr;
    std::map<const App::CFileRow*, RowWidget*> widgets;
    std::map<int, KeyBinding> keys;
};

} // namespace Ui
