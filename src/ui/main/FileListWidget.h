#pragma once
// The batch list window: a scrolling stack of rows over the list model, its keys, drops,
// dialogs, playback and processing.
#include <QScrollArea>
#include <atomic>
#include <map>
#include <memory>

#include "app/BatchList.h"
#include "app/ListUi.h"
#include "app/Settings.h"
#include "output/AudioEngine.h"

class QVBoxLayout;

namespace Ui {

class BatchRunner;
class CWaveEditor;
class NowPlayingPanel;
class RowWidget;

class FileListWidget : public QScrollArea, public App::ListUi {
    Q_OBJECT
  public:
    FileListWidget(App::CSettings& settings, QWidget* parent = nullptr);
    ~FileListWidget() override;

    App::BatchList& model() { return list; }
    Output::CAudioEngine& engine() { return audio; }
    BatchRunner& runner() { return *batch; }
    RowWidget* widgetOf(const App::CFileRow& row) const;
    NowPlayingPanel* nowPlayingPanel() const { return nowPlaying; }

    // Commands of the menus and keys.
    void openAudioFiles();
    void openSplit(int channels);
    void openPaths(const QStringList& paths);
    void togglePlay();
    void play();
    void stop();
    // Another play takes the player over: the editors' cursors stop following it.
    void takeOverPlayback();
    void processSelected();
    void saveCopy();
    void openInExternalEditor();
    // The row's wave editor: opened, or raised when it is open already.
    void openWaveEditor(App::CFileRow& row);
    // Key W: for every selected row.
    void openWaveEditors();
    CWaveEditor* editorOf(const App::CFileRow& row) const;
    void selectAll();
    void fileInformation();
    void deleteSelected();
    void copyParameters();
    void pasteParameters();
    void revealInFileManager();
    void showVersion();
    // Starts the playback engine on the device of the settings, or again after a change.
    void initEngine();
    void restartEngine();
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
    void selectionChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void syncRows();
    void refreshRows();

  public:
    void refresh() { refreshRows(); }

  private:
    void rowClicked(RowWidget* row, bool shift);
    void timeUnitChosen(RowWidget* row, int unit, bool ctrl);
    bool handleKey(QKeyEvent* event);

    App::CSettings& settings;
    App::BatchList list;
    Output::CAudioEngine audio;
    std::unique_ptr<BatchRunner> batch;
    QWidget* rowsHost = nullptr;
    QVBoxLayout* rowsLayout = nullptr;
    NowPlayingPanel* nowPlaying = nullptr;
    std::map<const App::CFileRow*, RowWidget*> widgets;
    std::map<const App::CFileRow*, CWaveEditor*> editors;
    const App::CFileRow* playingRow = nullptr;
};

} // namespace Ui
