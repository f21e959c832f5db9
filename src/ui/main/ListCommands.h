#pragma once
// What the main window's commands do to the batch list: opening sources, the row commands
// (information, removal, parameters, the file manager, the external editor), processing and
// copies. It answers the list model's questions (App::ListUi) with the window's dialogs.
#include <QObject>
#include <QStringList>

#include "app/ListUi.h"
#include "app/RecentFiles.h"
#include "ui/main/Session.h"

class QWidget;

namespace Ui {

class EditorWindows;
class FileListWidget;
class PlaybackControl;

class ListCommands : public QObject, public App::ListUi {
    Q_OBJECT
  public:
    ListCommands(Session& session, FileListWidget& view, PlaybackControl& playback,
                 EditorWindows& editors, QWidget* window);

    void openAudioFiles();
    // `channels`: 2, 6, 7 or 8.
    void openSplit(int channels);
    // Files named on the command line or dropped on the list.
    void openPaths(const QStringList& paths);
    void dropFiles(const QStringList& paths);
    // An entry of File > Open Recent.
    void openRecent(const App::RecentEntry& entry);
    // At start, when the preferences ask for it: the batch list as the last session closed it.
    // Files gone since are named in one message.
    void restoreLastList();
    void processSelected();
    void saveCopies();
    void openInExternalEditor();
    // Key W: the wave editor of every selected row.
    void openWaveEditors();
    void selectAll();
    void fileInformation();
    void deleteSelected();
    void copyParameters();
    void pasteParameters();
    void revealInFileManager();
    void showVersion();
    void chooseTimeUnit(App::CFileRow& row, int unit, bool ctrlHeld);
    // Before the window closes: false when it must stay open.
    bool prepareClose();

    // App::ListUi
    void showMessage(const std::string& text) override;
    bool askDeleteCreatedFiles() override;
    std::optional<double> askSourceBpm(double preset) override;
    bool closeEditor(App::CFileRow& row) override;
    void stopPlayback() override;
    std::optional<std::string> chooseFile(const std::string& title,
                                          const std::string& filter) override;

  signals:
    // Sources the user opened (not the rows processing made), in the order opened.
    void opened(const std::vector<App::CFileRow*>& rows);

  private:
    Session& session;
    FileListWidget& view;
    PlaybackControl& playback;
    EditorWindows& editors;
    QWidget* window;
};

} // namespace Ui
