#include "ui/main/BatchRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include "app/BatchDriver.h"
#include "ui/common/Dialogs.h"
#include "ui/main/ProgressDialog.h"

namespace Ui {

namespace {

// A progress dialog fed from the worker: updates are posted at most every 40 ms.
class WorkerProgress : public App::ProgressWindow {
  public:
    WorkerProgress(ProgressDialog* shown, BatchRunner& owner) : dialog(shown), runner(owner) {
        clock.start();
    }
    bool update(int position, std::int64_t seconds) override {
        if (clock.elapsed() >= 40 || position >= 1000) {
            clock.restart();
            QMetaObject::invokeMethod(dialog, [d = dialog, position, seconds] {
                if (d) d->showProgress(position, seconds);
            });
            QMetaObject::invokeMethod(&runner,
                                      [r = &runner, position] { emit r->progressed(position); });
        }
        return dialog && dialog->shouldContinue();
    }
    void finish() override {
        QMetaObject::invokeMethod(dialog, [d = dialog] {
            if (d) d->deleteLater();
        });
    }

  private:
    QPointer<ProgressDialog> dialog;
    BatchRunner& runner;
    QElapsedTimer clock;
};

} // namespace

class BatchRunner::Bridge : public App::BatchUi {
  public:
    explicit Bridge(BatchRunner& owner) : runner(owner) {}

    void stopPlayback() override {
        runner.onUiThread([this] { emit runner.stopPlaybackRequested(); });
    }
    std::unique_ptr<App::ProgressWindow> openProgress(const std::string& title) override {
        ProgressDialog* dialog = nullptr;
        runner.onUiThread([&] {
            dialog = new ProgressDialog(runner.window);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->setTitle(QString::fromStdString(title));
            dialog->show();
            emit runner.listChanged(); // the row shows busy now
        });
        return std::make_unique<WorkerProgress>(dialog, runner);
    }
    std::optional<std::string> chooseDestination(const std::string& initialPath,
                                                 const std::string& extension) override {
        std::optional<std::string> chosen;
        runner.onUiThread([&] {
            const Audio::FileFormat* f = Audio::formatOfPath("." + extension);
            const QString filter = QStringLiteral("%1 (*.%2)")
                                       .arg(QString::fromUtf8(f ? f->filterName : "Wave Files"),
                                            QString::fromStdString(extension));
            if (auto c = Dialogs::current().saveFile(
                    runner.window, QString(), QString::fromStdString(initialPath), filter, {}))
                chosen = c->path.toStdString();
        });
        return chosen;
    }
    void showMessage(const std::string& text) override {
        runner.onUiThread([&] {
            Dialogs::current().message(runner.window, QString::fromStdString(text), kAppTitle);
        });
    }
    std::optional<App::CopyTarget> chooseCopyTarget(const std::string& initialName) override {
        std::optional<App::CopyTarget> chosen;
        runner.onUiThread([&] {
            auto accept = [this](const SaveChoice& c) {
                const auto problem = App::copyExtensionProblem(
                    c.path.toStdString(), Audio::saveFilterFormat(c.filter)->type);
                if (problem && !problem->empty())
                    Dialogs::current().message(runner.window, QString::fromStdString(*problem),
                                               kAppTitle);
                return !problem;
            };
            if (auto c = Dialogs::current().saveFile(
                    runner.window, QString(), QString::fromStdString(initialName),
                    qtFilter(QString::fromStdString(Audio::saveDialogFilter())), accept))
                chosen = App::CopyTarget{c->path.toStdString(),
                                         Audio::saveFilterFormat(c->filter)->type};
        });
        return chosen;
    }
    void onListThread(const std::function<void()>& change) override {
        runner.onUiThread([&] {
            change();
            emit runner.listChanged();
        });
    }

  private:
    BatchRunner& runner;
};

BatchRunner::BatchRunner(App::BatchList& rows) : list(rows) {
}

void BatchRunner::setWindow(QWidget* parent) {
    window = parent;
}

BatchRunner::~BatchRunner() {
    cancel();
    if (worker.joinable()) worker.join();
}

void BatchRunner::onUiThread(const std::function<void()>& f) {
    if (QThread::currentThread() == thread())
        f();
    else
        QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);
}

bool BatchRunner::launch(std::function<void(Bridge&)> work) {
    if (running.exchange(true)) return false;
    if (worker.joinable()) worker.join();
    emit started();
    worker = std::thread([this, work = std::move(work)] {
        Bridge bridge(*this);
        work(bridge);
        running = false;
        QMetaObject::invokeMethod(this, [this] {
            if (worker.joinable()) worker.join();
            emit listChanged();
            emit finished();
        });
    });
    return true;
}

bool BatchRunner::processSelected(const App::JobSettings& settings) {
    return launch([this, settings](Bridge& ui) { driver.processSelected(list, settings, ui); });
}

bool BatchRunner::saveCopies() {
    return launch([this](Bridge& ui) { driver.saveCopies(list, ui); });
}

void BatchRunner::cancel() {
    driver.cancelBatch();
}

void BatchRunner::waitForEnd() {
    while (running)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (worker.joinable()) worker.join();
}

} // namespace Ui
