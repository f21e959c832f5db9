#pragma once
// The main window: the batch list with its menus, the algorithm choice and the preferences, over
// the session of the program. Every command is one QAction of the window's command table
// (objectName "cmd" + id), shared by the menus, the keys and the list's letter keys.
#include <QMainWindow>
#include <QPointer>

#include "ui/common/CommandTable.h"
#include "ui/main/Session.h"

namespace Ui {

class EditorWindows;
class FileListWidget;
class ListCommands;
class NowPlayingPanel;
class PlaybackControl;
class ShortcutsWindow;
class RecentMenu;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    FileListWidget* fileList() const { return view; }
    ListCommands& listCommands() const { return *list; }
    PlaybackControl& playback() const { return *player; }
    EditorWindows& editors() const { return *editorWindows; }
    NowPlayingPanel* nowPlayingPanel() const { return panel; }
    RecentMenu* recentMenu() const { return recent; }
    // The command's action; null for an unknown id.
    QAction* action(int id) const { return commands.find(id); }
    // The algorithm commands: checks the entry; `store` saves it as the settings' Quality.
    void selectAlgorithm(int quality, bool store);
    int algorithm() const { return current; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void connectCommands();
    void bindListKeys();
    void updateActions();
    void preferences();
    void showShortcuts();

    Session& session;
    CommandTable commands{this};
    FileListWidget* view = nullptr;
    NowPlayingPanel* panel = nullptr;
    PlaybackControl* player = nullptr;
    EditorWindows* editorWindows = nullptr;
    ListCommands* list = nullptr;
    QPointer<ShortcutsWindow> shortcuts;
    RecentMenu* recent = nullptr;
    int current = 2;
};

} // namespace Ui
