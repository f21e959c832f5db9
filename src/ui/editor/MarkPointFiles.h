#pragma once
// The wave editor's mark point files: new curves, open and save (as) a ".mpt" file, and the
// question about unsaved changes before new, open and close.
#include <QString>
#include <functional>

#include "app/FileRow.h"
#include "editor/EditorDocument.h"
#include "editor/SnapshotSlots.h"

class QWidget;

namespace Ui {

class MarkPointFiles {
  public:
    // `tempo` gives the base BPM a saved file records.
    MarkPointFiles(QWidget* window, App::CFileRow& row, Editor::CEditorDocument& doc,
                   Editor::SnapshotSlots& snapshots, std::function<double()> tempo);

    // Each asks about unsaved changes first; new and open empty the snapshot slots.
    void newCurves();
    void open();
    // To the current path, or save as when there is none; false when nothing was saved.
    bool save();
    bool saveAs();
    // "You forgot to save! ...": whether the operation may go on.
    bool askAboutUnsaved();

    // The file last loaded or saved; empty before.
    const QString& path() const { return current; }

  private:
    bool write(const QString& file, const QString& caption);
    QString folder() const;

    QWidget* window;
    App::CFileRow& row;
    Editor::CEditorDocument& doc;
    Editor::SnapshotSlots& snapshots;
    std::function<double()> tempo;
    QString current;
};

} // namespace Ui
