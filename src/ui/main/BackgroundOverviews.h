#pragma once
// The rows' waveform overviews, scanned one after another on a worker thread so that the list
// draws each row's waveform without holding up the window. A finished scan becomes the row's
// overview (the wave editor then opens without one of its own) and gives the row its outline.
// Whoever removes rows cancels their scans first: a scan reads its row until it ends.
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/FileRow.h"

namespace Ui {

class BackgroundOverviews : public QObject {
    Q_OBJECT
  public:
    explicit BackgroundOverviews(QObject* parent = nullptr);
    // Cancels every scan and waits for the worker.
    ~BackgroundOverviews() override;

    // Queues the row's scan unless one is queued, running or delivered not yet.
    void request(App::CFileRow& row);
    // Takes the rows off the queue and stops a running scan of one of them; when it returns,
    // no scan reads them and nothing of theirs will be delivered.
    void cancel(const std::vector<App::CFileRow*>& rows);
    void cancelAll();
    // A scan of the row is queued, running or waiting for delivery (by address: the row may be
    // gone).
    bool pending(const App::CFileRow* row) const { return waiting.count(row) != 0; }

  signals:
    // On the window's thread, once the row has an overview.
    void outlineReady(App::CFileRow* row, const std::vector<float>& outline);

  private:
    struct Job {
        App::CFileRow* row;
        unsigned long long ticket;
    };
    void run();
    void scan(const Job& job);
    void deliver(const Job& job, std::shared_ptr<std::unique_ptr<Audio::CAudioFileCache>> overview,
                 const std::vector<float>& outline);

    // The window's thread: rows waiting for a delivery, each with the ticket of its request (so
    // that a late delivery for a row gone meanwhile, or a new row at its address, is dropped) and
    // the date of its source then.
    struct Waiting {
        App::CFileRow* row;
        unsigned long long ticket;
        Audio::FileDate date;
    };
    std::map<const App::CFileRow*, Waiting> waiting;
    unsigned long long nextTicket = 1;

    std::mutex lock;
    std::condition_variable wake, scanEnded;
    std::deque<Job> queue;
    const App::CFileRow* scanning = nullptr;
    std::atomic<bool> cancelScan{false};
    bool stopping = false;
    std::thread worker;
};

} // namespace Ui
