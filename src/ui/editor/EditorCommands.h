#pragma once
// The wave editor's command table: the command ids, and the menus, the row of buttons and the
// view's context menu built from it. Every entry is the window's one action for its command.
#include <QKeySequence>
#include <QList>

class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace Ui {

class CommandTable;

namespace EditorCommand {
enum : int {
    kNew = 34027,
    kOpen = 34026,
    kOpenStandard = 57601,
    kSave = 34028,
    kSaveAs = 34029,
    kClose = 34030,
    kCopy = 57634,
    kCut = 57635,
    kPaste = 57637,
    kDelete = 34045,
    kUndo = 57643,
    kRedo = 57644,
    kSelectAll = 34053,
    kInvert = 34054,
    kStyleLinear = 34087,
    kStyleSquare = 34088,
    kStyleKeep = 34089,
    kNewLinear = 34071,
    kNewSquare = 34072,
    kNewKeep = 34073,
    kScaleTime = 34057, // + 1 pitch, + 2 formant
    kShowTime = 34039,  // + 1 pitch, + 2 formant
    kPercent = 34064,
    kBpm = 34063,
    kClock = 34094,
    kMusical = 34095,
    kTempo = 34069,
    kStoreA = 34031,  // + 1 .. + 3: B .. D
    kRecallA = 34035, // + 1 .. + 3: B .. D
    kZoomIn = 34049,
    kZoomOut = 34050,
    kZoomUp = 34091,
    kZoomDown = 34092,
    kOneToOne = 34060,
    kFit = 34061,
    kPlay = 100002,
    kStop = 100003,
    kFreeEdit = 100004,
    kPreview = 100005,
    kPlayProcessed = 100006,
    kPlayPreview = 34106,
    kInfoLine = 34107,
};
} // namespace EditorCommand

// A key that the editor's view answers itself rather than through a command: `what` is
// translated in the context "Command".
struct ViewKey {
    QList<QKeySequence> keys;
    const char* what;
};
QList<ViewKey> editorViewKeys();

// Adds every command to the table and to its menu in the bar.
void buildEditorMenus(QMenuBar& bar, CommandTable& commands);
// The row of buttons: a short label each, the command's name and key as its tip.
QToolBar* buildEditorButtons(QWidget* parent, const CommandTable& commands);
// What a right click on the editor view offers: Cut, Copy, Paste, Delete and the line styles.
QMenu* buildViewMenu(QWidget* parent, const CommandTable& commands);

} // namespace Ui
