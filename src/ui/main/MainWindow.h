#pragma once
// The main window: the batch list with its menus, the algorithm choice and the preferences.
#include <QMainWindow>
#include <map>
#include <memory>

#include "app/Settings.h"

class QActionGroup;

namespace Ui {

class FileListWidget;
class LivePlayController;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(App::CSettings& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    FileListWidget* fileList() const { return list; }
    LivePlayController& livePlay() const { return *live; }
    // The command's action (objectName "cmd" + id); null for an unknown id.
    QAction* action(int id) const;
    // The algorithm commands: checks the entry; `store` saves it as the settings' Quality.
    void selectAlgorithm(int quality, bool store);
    int algorithm() const { return current; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Command;
    void buildMenus();
    QAction* addCommand(QMenu* menu, const Command& c);
    void connectCommands();
    void updateActions();
    void preferences();
    void about();

    App::CSettings& settings;
    FileListWidget* list = nullptr;
    QActionGroup* algorithms = nullptr;
    QAction* exactPitch = nullptr;
    std::map<int, QAction*> actions;
    int current = 2;
    // A member, so that it goes before the child widgets: the list and its player.
    std::unique_ptr<LivePlayController> live;
};

} // namespace Ui
