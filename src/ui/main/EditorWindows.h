#pragma once
// The wave editor windows of the rows, at most one per row. The main window is their Qt parent
// and so their owner; a closed editor goes with the next turn of the event loop, and its row
// forgets it at once.
#include <QObject>
#include <QPointer>
#include <map>
#include <string>

#include "ui/editor/WaveEditor.h"

#include "ui/main/Session.h"

class QWidget;

namespace Ui {

class EditorWindows : public QObject {
    Q_OBJECT
  public:
    EditorWindows(Session& session, QWidget* window);

    CWaveEditor* editorOf(const App::CFileRow& row) const;
    // The row's editor: opened (the waveform overview built first when it has none), or raised
    // when it is open already.
    void open(App::CFileRow& row);
    // Asks the row's editor to close; false when it stays open.
    bool close(App::CFileRow& row);
    // Another play took the player over: no editor's cursor follows it any more.
    void playbackTakenOver();

  private:
    void closed(CWaveEditor* editor);

    Session& session;
    QWidget* window;
    std::map<const App::CFileRow*, QPointer<CWaveEditor>> editors;
    // What each file's editor showed when it closed, by the paths of the row's files.
    std::map<std::string, CWaveEditor::ViewState> views;
};

} // namespace Ui
