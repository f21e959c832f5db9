#pragma once
// Help › Keyboard shortcuts: every key of the batch list and of the wave editor, read from the
// command tables and key bindings the windows themselves use, so the list cannot drift from what
// the keys do.
#include <QDialog>

class QTreeWidget;

namespace Ui {

class CommandTable;
class FileListWidget;

class ShortcutsWindow : public QDialog {
    Q_OBJECT
  public:
    // `commands` and `list` are the main window's; the editor's keys come from its table.
    ShortcutsWindow(const CommandTable& commands, const FileListWidget& list, QWidget* parent);

    QTreeWidget* tree() const { return keys; }

  private:
    QTreeWidget* keys = nullptr;
};

} // namespace Ui
