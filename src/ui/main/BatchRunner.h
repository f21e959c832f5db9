#pragma once
// Runs processing and copying on a worker thread, so the windows stay live. The dialogs a job
// needs are asked on the user-interface thread while the worker waits; the list changes there
// too, and the windows hear of them through signals.
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <thread>

#include "app/BatchDriver.h"

namespace Ui {

class BatchRunner : public QObject {
    Q_OBJECT
  public:
    explicit BatchRunner(App::BatchList& list);
    ~BatchRunner() override;
    // The window the runner's dialogs belong to.
    void setWindow(QWidget* parent);

    // False while a batch or a copy runs.
    bool processSelected(const App::JobSettings& settings);
    // A copy of each selected row, one save dialog per member file.
    bool saveCopies();
    bool isRunning() const { return running; }
    // Aborts the file being written (it keeps a valid header) and skips the rest.
    void cancel();
    // Serves events until the worker has ended.
    void waitForEnd();

  signals:
    // A batch or a copy began; user-interface thread, as all the signals.
    void started();
    // The progress window's position, 0 to 1000.
    void progressed(int position);
    void listChanged();
    void stopPlaybackRequested();
    void finished();

  private:
    class Bridge;
    bool launch(std::function<void(Bridge&)> work);
    // Runs `f` on the user-interface thread and waits for it; directly when already there.
    void onUiThread(const std::function<void()>& f);

    App::BatchList& list;
    QPointer<QWidget> window;
    App::BatchDriver driver;
    std::thread worker;
    std::atomic<bool> running{false};
};

} // namespace Ui
